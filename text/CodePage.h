// Byte text in a named character set <-> UTF-16, through iconv. The product's own "ANSI" code
// page is 936 (GBK).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace text {

inline constexpr const char* kAnsiCharset = "GBK";

// Decodes bytes in the given iconv charset. Invalid or incomplete sequences become U+FFFD.
// An unknown charset gives std::nullopt.
std::optional<WString> DecodeBytes(std::string_view bytes, const char* charset);

// Encodes UTF-16 into the charset. Any character the charset cannot hold gives std::nullopt.
std::optional<std::string> EncodeBytes(WStringView s, const char* charset);

inline std::optional<WString> DecodeAnsi(std::string_view bytes) { return DecodeBytes(bytes, kAnsiCharset); }
inline std::optional<std::string> EncodeAnsi(WStringView s) { return EncodeBytes(s, kAnsiCharset); }

}  // namespace text
