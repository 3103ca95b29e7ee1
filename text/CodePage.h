// Byte text in a code page <-> UTF-16: iconv on Linux, MultiByteToWideChar and
// WideCharToMultiByte on Windows. Code pages are Windows' numbers, as text/CodePageTable.h
// gives them for encoding names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace text {

// The 16- and 32-bit Unicode forms in either byte order.
inline constexpr int32_t kUtf16LeCodePage = 1200;
inline constexpr int32_t kUtf16BeCodePage = 1201;
inline constexpr int32_t kUtf32LeCodePage = 12000;
inline constexpr int32_t kUtf32BeCodePage = 12001;

constexpr bool IsUnicodeForm(int32_t codePage) {
  return codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage ||
         codePage == kUtf32LeCodePage || codePage == kUtf32BeCodePage;
}

// GBK, the product's own code page: the one its list format declares and its files are in.
inline constexpr int32_t kGbkCodePage = 936;

// "ANSI": the code page of byte text that names none (the server's version file, the names in
// the lists, the C library's messages). On Windows it is the system's ANSI code page, as the
// programs there have always used it; a Linux locale says nothing about the product's files,
// so there it is GBK, the code page they are written in.
int32_t AnsiCodePage();

// Decodes bytes in a code page. Invalid or incomplete sequences become U+FFFD. A code page this
// system cannot decode gives std::nullopt.
std::optional<WString> DecodeCodePage(std::string_view bytes, int32_t codePage);

std::optional<WString> DecodeAnsi(std::string_view bytes);
// Any character the ANSI code page cannot hold gives std::nullopt.
std::optional<std::string> EncodeAnsi(WStringView s);

}  // namespace text
