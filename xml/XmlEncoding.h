// Text encodings of the files an XmlDocument reads: encoding names to code pages, the UTF-8
// check, and conversion of bytes to UTF-16.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace xml {

// The product's "ANSI" code page, used for an empty or unknown encoding name.
inline constexpr int32_t kAnsiCodePage = 936;
// UTF-32LE, which is decoded here rather than by iconv.
inline constexpr int32_t kUtf32CodePage = 12000;

// The code page an encoding name stands for: 0 for an empty name (the ANSI code page), -1 for a
// name that is not known. Letters A-Z match either case.
int32_t CodePageFromName(text::WStringView name);

// The iconv charset of a code page (0 = the ANSI code page); nullptr when iconv has none.
const char* CharsetOfCodePage(int32_t codePage);

// Bytes in the named encoding as UTF-16 (an empty or unknown name means the ANSI code page).
// Invalid bytes become U+FFFD; an encoding that cannot be converted gives an empty text.
text::WString ConvertText(std::string_view bytes, text::WStringView encoding);

// True when the bytes up to the end or the first zero byte are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace xml
