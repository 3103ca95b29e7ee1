// The progress window of the platform being built: gtk/ on Linux, win32/ on Windows. Both
// derive from VendrelDlgBase and are run the same way by the program.
#pragma once

#if defined(_WIN32)
#include "updater/app/win32/VendrelDlg.h"
#else
#include "updater/app/gtk/VendrelDlg.h"
#endif
