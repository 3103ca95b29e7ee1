// The whole life of the updater process: single instance, command line, worker, window.
#pragma once

#include "text/Text.h"

namespace vendrel {

// `rawLine` is the command line as the process got it (written to the debug output); argv
// holds the arguments in UTF-8, argv[0] being the program. Returns only when the updater ends
// without a window (another updater runs, the command line lacks a required option, or there
// is nothing to show a window on); otherwise the process ends with the window.
int RunVendrel(text::WStringView rawLine, int argc, char** argv);

// The window backend's start: what must run before the first window (GTK's display, GDI+).
// It sees none of the arguments, so none can become a toolkit option. False when no window
// can be shown.
bool OpenDisplay();

}  // namespace vendrel
