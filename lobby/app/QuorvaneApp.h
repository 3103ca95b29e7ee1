// The whole life of the lobby process: display, network layer, program directory, single
// instance, configuration, the lobby's own update check, then the frame until it ends.
#pragma once

namespace lobby {

// Never returns: the process ends with the window, with the hand-over to the updater, or
// early (no display or program directory: code 1; another lobby runs: code 0). The lobby
// takes no arguments; any it is given are not looked at.
[[noreturn]] void RunQuorvane();

}  // namespace lobby
