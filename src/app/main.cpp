#include "app/App.h"

int main(int argc, char** argv)
{
    return qlk::appStartup(argc, argv);
}
