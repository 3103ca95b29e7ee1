// The whole life of the lobby process: display, network layer, program directory, single
// instance, configuration, the lobby's own update check, then the frame until it ends.
#pragma once

namespace lobby {

// Returns when the lobby ends before its window (no display, no network layer, no program
// directory, another lobby runs); otherwise the process ends with the window or with the
// hand-over to the updater.
int RunQuorvane(int argc, char** argv);

}  // namespace lobby
