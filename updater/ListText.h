// The list's byte texts (code page 936) to UTF-16 and back. Code page 936 keeps ASCII as it is,
// and nearly every name in a list is ASCII: those skip the converter, which costs more to set
// up than a short name takes to copy (a list of 100,000 files converts each name several times).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/CodePage.h"

namespace updater {

inline bool IsAscii(std::string_view bytes) {
  for (unsigned char c : bytes) {
    if (c >= 0x80) return false;
  }
  return true;
}

inline std::optional<text::WString> DecodeListText(std::string_view bytes) {
  if (!IsAscii(bytes)) return text::DecodeAnsi(bytes);
  return text::WString(bytes.begin(), bytes.end());
}

inline std::optional<std::string> EncodeListText(text::WStringView s) {
  for (char16_t c : s) {
    if (c >= 0x80) return text::EncodeAnsi(s);
  }
  return std::string(s.begin(), s.end());
}

}  // namespace updater
