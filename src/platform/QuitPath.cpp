#include "platform/QuitPath.h"

namespace qlk {

namespace {
std::function<void()>& handler()
{
    static std::function<void()> h;
    return h;
}
bool requested = false;
} // namespace

void requestQuit()
{
    if (requested)
        return; // the close event runs once
    requested = true;
    if (handler())
        handler()();
}

bool quitRequested()
{
    return requested;
}

void setQuitHandler(std::function<void()> h)
{
    handler() = std::move(h);
}

void resetQuitState()
{
    requested = false;
}

} // namespace qlk
