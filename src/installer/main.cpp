#include "installer/InstallerWindow.h"

int main(int argc, char** argv)
{
    return qlk::installer::installerStartup(argc, argv);
}
