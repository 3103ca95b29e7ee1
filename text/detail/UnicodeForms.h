// The one decoder of UTF-16 and UTF-32 bytes, for the code pages the platform converters do
// not take.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace text::detail {

// Bytes in one of the Unicode forms of text/CodePage.h (IsUnicodeForm) as UTF-16. A dangling
// last unit, and a UTF-32 value that is no character, become U+FFFD.
WString DecodeUnicodeForm(std::string_view bytes, int32_t codePage);

}  // namespace text::detail
