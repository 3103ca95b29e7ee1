// Diagnostic lines for developers: one line on standard error.
#pragma once

#include "text/Text.h"

namespace platform {

void DebugLine(text::WStringView line);

}  // namespace platform
