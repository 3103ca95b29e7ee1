// Byte text in a named character set <-> UTF-16: iconv on Linux, MultiByteToWideChar and
// WideCharToMultiByte on Windows. The "ANSI" code page is 936 (GBK) on Linux, the product's own;
// on Windows it is the system's, as the programs there have always used it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace text {

inline constexpr const char* kAnsiCharset = "GBK";

// Decodes bytes in the given charset (iconv's names; Windows maps them onto code pages). Invalid or incomplete sequences become U+FFFD.
// An unknown charset gives std::nullopt.
std::optional<WString> DecodeBytes(std::string_view bytes, const char* charset);

// Encodes UTF-16 into the charset. Any character the charset cannot hold gives std::nullopt.
std::optional<std::string> EncodeBytes(WStringView s, const char* charset);

std::optional<WString> DecodeAnsi(std::string_view bytes);
std::optional<std::string> EncodeAnsi(WStringView s);

}  // namespace text
