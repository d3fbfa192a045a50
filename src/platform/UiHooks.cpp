#include "platform/UiHooks.h"

namespace qlk {

UiHooks& uiHooks()
{
    static UiHooks hooks;
    return hooks;
}

} // namespace qlk
