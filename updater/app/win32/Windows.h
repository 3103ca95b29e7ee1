// windows.h for the Win32 window. updater/Messages.h names WM_USER as a constant of its own,
// so it must be read before windows.h turns that name into a macro.
#pragma once

#include "updater/Messages.h"
// Messages.h first (see above).
#include <windows.h>
