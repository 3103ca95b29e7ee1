// The whole life of the updater process: single instance, command line, worker, window.
#pragma once

namespace vendrel {

// Returns only when the updater ends without a window (another updater runs, or the command
// line lacks a required option); otherwise the process ends with the window.
int RunVendrel(int argc, char** argv);

}  // namespace vendrel
