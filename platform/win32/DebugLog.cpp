#include "platform/DebugLog.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

// The debugger's output, where the programs' diagnostics have always gone on Windows.
void DebugLine(text::WStringView line) {
  std::wstring wide = detail::Wide(line);
  wide += L"\n";
  OutputDebugStringW(wide.c_str());
}

}  // namespace platform
