#include <windows.h>

#include <string>

#include "text/CodePage.h"
#include "text/CodePageTable.h"
#include "text/detail/UnicodeForms.h"

namespace text {

namespace {

// The system code page that decodes this one: its own or its superset; false when the system
// has neither.
bool SystemCodePageOf(const CodePageDecoder& decoder, UINT& codePage) {
  codePage = static_cast<UINT>(decoder.WindowsCodePage());
  if (IsValidCodePage(codePage)) return true;
  codePage = static_cast<UINT>(decoder.windowsFallback);
  return codePage != 0 && IsValidCodePage(codePage);
}

// Converts `bytes` when every one of them belongs to a valid sequence.
bool DecodeStrict(std::string_view bytes, UINT codePage, WString& out) {
  if (bytes.empty()) return true;
  int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return false;
  size_t start = out.size();
  out.resize(start + n);
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                      reinterpret_cast<wchar_t*>(out.data() + start), n);
  return true;
}

// The slow path for damaged text: one character at a time, one U+FFFD per byte that starts
// no valid sequence (the same result the Linux build gives).
WString DecodeDamaged(std::string_view bytes, UINT codePage) {
  WString out;
  while (!bytes.empty()) {
    size_t len = 1;
    for (; len <= 4 && len <= bytes.size(); ++len) {
      if (DecodeStrict(bytes.substr(0, len), codePage, out)) break;
    }
    if (len > 4 || len > bytes.size()) {
      out.push_back(kReplacementCharacter);
      len = 1;
    }
    bytes.remove_prefix(len);
  }
  return out;
}

WString Decode(std::string_view bytes, UINT codePage) {
  WString out;
  if (DecodeStrict(bytes, codePage, out)) return out;
  return DecodeDamaged(bytes, codePage);
}

std::optional<std::string> Encode(WStringView s, UINT codePage) {
  if (s.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(s.data());
  // UTF-8 and UTF-7 refuse the "used default" flag; the others report a character they lack.
  bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
  DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : unicode ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = unicode ? nullptr : &usedDefault;
  int n = WideCharToMultiByte(codePage, flags, wide, static_cast<int>(s.size()), nullptr, 0,
                              nullptr, usedDefaultOut);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(n, '\0');
  WideCharToMultiByte(codePage, flags, wide, static_cast<int>(s.size()), out.data(), n, nullptr,
                      usedDefaultOut);
  return out;
}

}  // namespace

int32_t AnsiCodePage() { return static_cast<int32_t>(GetACP()); }

std::optional<WString> DecodeCodePage(std::string_view bytes, int32_t codePage) {
  const CodePageDecoder* decoder = FindCodePage(codePage);
  if (decoder == nullptr) return std::nullopt;
  // MultiByteToWideChar does not take the Unicode forms.
  if (IsUnicodeForm(decoder->WindowsCodePage())) {
    return detail::DecodeUnicodeForm(bytes, decoder->WindowsCodePage());
  }
  UINT systemCodePage = 0;
  if (!SystemCodePageOf(*decoder, systemCodePage)) return std::nullopt;
  return Decode(bytes, systemCodePage);
}

// The system's ANSI code page is taken as it is, whether the table knows it or not.
std::optional<WString> DecodeAnsi(std::string_view bytes) {
  return Decode(bytes, static_cast<UINT>(AnsiCodePage()));
}
std::optional<std::string> EncodeAnsi(WStringView s) {
  return Encode(s, static_cast<UINT>(AnsiCodePage()));
}

}  // namespace text
