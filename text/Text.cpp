#include "text/Text.h"

#include <cstdint>
#include <cstdio>

namespace text {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

template <typename Str>
WString FormatWith(const char* format, Str value) {
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, format, value);
  return WString(buf, buf + n);
}

// The one number reader: a value past [-max - 1, max] gives the nearer end.
template <typename Char>
int64_t ParseSaturated(std::basic_string_view<Char> s, uint64_t max) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= 9 && s[i] <= 13))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const uint64_t limit = negative ? max + 1 : max;
  uint64_t value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    const auto digit = static_cast<uint64_t>(s[i] - '0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  return static_cast<int64_t>(negative ? 0 - value : value);  // modular: -(max + 1) included
}

}  // namespace

std::string ToUtf8(WStringView s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacementCharacter;
    }
    AppendUtf8(out, c);
  }
  return out;
}

namespace {

// Decodes one well-formed UTF-8 sequence at the start of `s` (no overlong forms, no
// surrogates, nothing above U+10FFFF). Returns its length, 0 when the bytes are not one.
size_t DecodeUtf8Char(std::string_view s, uint32_t& cp) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
  uint8_t lead = byte(0);
  size_t len = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (len == 0 || len > s.size()) return 0;
  cp = len == 1 ? lead : lead & (0xFF >> (len + 1));
  for (size_t i = 1; i < len; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

WString FromUtf8(std::string_view s) {
  WString out;
  out.reserve(s.size());
  while (!s.empty()) {
    uint32_t c = 0;
    size_t len = DecodeUtf8Char(s, c);
    if (len == 0) {  // one replacement character per byte that starts no valid sequence
      out.push_back(kReplacementCharacter);
      s.remove_prefix(1);
      continue;
    }
    AppendUtf16(out, c);
    s.remove_prefix(len);
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  while (!bytes.empty()) {
    uint32_t c = 0;
    const size_t length = DecodeUtf8Char(bytes, c);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

WString FormatInt(int32_t v) { return FormatWith("%d", v); }
WString FormatUInt(uint32_t v) { return FormatWith("%u", v); }
WString FormatHex(uint32_t v) { return FormatWith("%X", v); }

int32_t ParseInt(WStringView s) { return static_cast<int32_t>(ParseSaturated(s, INT32_MAX)); }
int32_t ParseInt(std::string_view s) { return static_cast<int32_t>(ParseSaturated(s, INT32_MAX)); }
int64_t ParseInt64(WStringView s) { return ParseSaturated(s, INT64_MAX); }

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

WString AsciiLower(WStringView s) {
  WString out(s);
  for (auto& c : out) c = AsciiLower(c);
  return out;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return out;
}

bool AsciiEqualsNoCase(WStringView a, WStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

WString Ascii(std::string_view s) { return WString(s.begin(), s.end()); }

}  // namespace text
