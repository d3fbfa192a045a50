#pragma once

namespace qlk {

// The start-up scan of the TeX installation; runs at start-up and after
// every change to the installation or the map configuration.
void init();

} // namespace qlk
