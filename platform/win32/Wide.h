// UTF-8 and UTF-16 strings at the boundary of the wide Windows calls.
#pragma once

#include <string>

#include "text/Text.h"

namespace platform::detail {

inline std::wstring Wide(const std::string& utf8) {
  text::WString w = text::FromUtf8(utf8);
  return std::wstring(w.begin(), w.end());
}

inline std::wstring Wide(text::WStringView s) { return std::wstring(s.begin(), s.end()); }

inline text::WString FromWide(const wchar_t* s, size_t n) { return text::WString(s, s + n); }
inline text::WString FromWide(const std::wstring& s) { return FromWide(s.data(), s.size()); }

inline std::string Utf8(const std::wstring& s) { return text::ToUtf8(FromWide(s)); }

}  // namespace platform::detail
