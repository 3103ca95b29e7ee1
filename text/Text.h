// Text helpers shared by both programs: all text in memory is UTF-16; bytes appear only at the
// boundaries (files, the network, paths, GTK).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

using WString = std::u16string;
using WStringView = std::u16string_view;

// What stands for input that is no character, in every decoder.
inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// UTF-8 <-> UTF-16. Invalid input becomes U+FFFD; nothing throws.
std::string ToUtf8(WStringView s);
WString FromUtf8(std::string_view s);

// True when the bytes up to the end or the first zero byte are well-formed UTF-8: FromUtf8
// decodes them without a replacement character.
bool IsValidUtf8(std::string_view bytes);

// Appends a code point (at most U+10FFFF) as UTF-16: a surrogate pair above U+FFFF.
inline void AppendUtf16(WString& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Appends a value read from UTF-32 text; one that is no character (above U+10FFFF, or a
// surrogate) becomes U+FFFD.
inline void AppendUtf32Value(WString& out, uint32_t value) {
  const bool character = value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
  AppendUtf16(out, character ? value : kReplacementCharacter);
}

// Decimal and hexadecimal formatting exactly as printf's "%d", "%u" and "%X" produce it.
WString FormatInt(int32_t v);
WString FormatUInt(uint32_t v);
WString FormatHex(uint32_t v);

// atoi/_wtoi (and _wtoi64) semantics: leading whitespace, optional sign, leading digits;
// anything else gives 0, and a value past the type's range gives the nearer end of it.
int32_t ParseInt(WStringView s);
int32_t ParseInt(std::string_view s);
int64_t ParseInt64(WStringView s);

// ASCII-only case folding (A-Z / a-z); every other unit is left as it is.
char16_t AsciiLower(char16_t c);
WString AsciiLower(WStringView s);
std::string AsciiLower(std::string_view s);
bool AsciiEqualsNoCase(WStringView a, WStringView b);

// ASCII literal to UTF-16 (for constants in code).
WString Ascii(std::string_view s);

}  // namespace text
