#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "text/CodePage.h"

namespace text {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;
constexpr UINT kUtf32Le = 12000;
constexpr UINT kUtf32Be = 12001;

// The Unicode forms MultiByteToWideChar does not take; decoded here.
bool IsUnicodeForm(UINT codePage) {
  return codePage == kUtf16Le || codePage == kUtf16Be || codePage == kUtf32Le || codePage == kUtf32Be;
}

struct NamedCodePage {
  const char* name;  // upper case
  UINT codePage;
  UINT superset = 0;  // taken when the system lacks codePage (Wine has fewer tables than Windows)
};

// The charset names the programs use, onto Windows code pages.
constexpr NamedCodePage kCodePages[] = {
    {"ASCII", 20127},         {"ASMO-708", 708},         {"CP1125", 1125},
    {"CP1133", 1133},         {"CP1250", 1250},          {"CP1251", 1251},
    {"CP1252", 1252},         {"CP1253", 1253},          {"CP1254", 1254},
    {"CP1255", 1255},         {"CP1256", 1256},          {"CP1257", 1257},
    {"CP1258", 1258},         {"CP737", 737},            {"CP775", 775},
    {"CP874", 874},           {"CP932", 932},            {"CP949", 949},
    {"CP950", 950},           {"EUC-JP", 20932},         {"EUC-JP-MS", 51932},
    {"EUC-KR", 51949, 949},        {"GB18030", 54936},        {"GB2312", 20936, 936},
    {"GBK", 936},             {"IBM437", 437},           {"IBM850", 850},
    {"IBM852", 852},          {"IBM855", 855},           {"IBM857", 857},
    {"IBM858", 858},          {"IBM860", 860},           {"IBM861", 861},
    {"IBM862", 862},          {"IBM863", 863},           {"IBM864", 864},
    {"IBM865", 865},          {"IBM866", 866},           {"IBM869", 869},
    {"ISO-2022-CN", 50227},   {"ISO-2022-JP", 50220},    {"ISO-2022-JP-3", 50221},
    {"ISO-2022-KR", 50225},   {"ISO-8859-1", 28591},     {"ISO-8859-13", 28603},
    {"ISO-8859-15", 28605},   {"ISO-8859-2", 28592},     {"ISO-8859-3", 28593},
    {"ISO-8859-4", 28594},    {"ISO-8859-5", 28595},     {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597},    {"ISO-8859-8", 28598},     {"ISO-8859-9", 28599},
    {"ISO646-DE", 20106},     {"ISO646-NO", 20108},      {"ISO646-SE", 20107},
    {"ISO_6937", 20269},      {"JOHAB", 1361},           {"KOI8-R", 20866},
    {"KOI8-U", 21866},        {"MAC-CENTRALEUROPE", 10029}, {"MAC-IS", 10079},
    {"MACCYRILLIC", 10007},   {"MACINTOSH", 10000},      {"MACUKRAINIAN", 10017},
    {"PT154", 154},           {"T.61-8BIT", 20261},      {"UTF-16BE", kUtf16Be},
    {"UTF-16LE", kUtf16Le},   {"UTF-32BE", kUtf32Be},    {"UTF-32LE", kUtf32Le},
    {"UTF-7", 65000},         {"UTF-8", 65001},
};

bool CodePageOf(const char* charset, UINT& codePage) {
  std::string upper(charset);
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  const auto* end = std::end(kCodePages);
  const auto* it = std::find_if(std::begin(kCodePages), end,
                                [&](const NamedCodePage& e) { return upper == e.name; });
  if (it == end) return false;
  if (IsUnicodeForm(it->codePage) || IsValidCodePage(it->codePage)) {
    codePage = it->codePage;
    return true;
  }
  if (it->superset == 0 || !IsValidCodePage(it->superset)) return false;
  codePage = it->superset;
  return true;
}

uint32_t ReadUnit(std::string_view bytes, size_t at, size_t width, bool bigEndian) {
  uint32_t unit = 0;
  for (size_t b = 0; b < width; ++b) {
    unit = unit << 8 | static_cast<unsigned char>(bytes[at + (bigEndian ? b : width - 1 - b)]);
  }
  return unit;
}

// UTF-16 or UTF-32 in either byte order. A dangling last unit, and a UTF-32 value that is no
// character, become U+FFFD.
WString DecodeUnicode(std::string_view bytes, UINT codePage) {
  const size_t width = codePage == kUtf16Le || codePage == kUtf16Be ? 2 : 4;
  const bool bigEndian = codePage == kUtf16Be || codePage == kUtf32Be;
  WString out;
  out.reserve(bytes.size() / width + 1);
  size_t i = 0;
  for (; i + width <= bytes.size(); i += width) {
    uint32_t cp = ReadUnit(bytes, i, width, bigEndian);
    if (width == 2) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      AppendUtf32Value(out, cp);
    }
  }
  if (i < bytes.size()) out.push_back(kReplacement);
  return out;
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
      out.push_back(kReplacement);
      len = 1;
    }
    bytes.remove_prefix(len);
  }
  return out;
}

WString Decode(std::string_view bytes, UINT codePage) {
  if (IsUnicodeForm(codePage)) return DecodeUnicode(bytes, codePage);
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

std::optional<WString> DecodeBytes(std::string_view bytes, const char* charset) {
  UINT codePage = 0;
  if (!CodePageOf(charset, codePage)) return std::nullopt;
  return Decode(bytes, codePage);
}

std::optional<std::string> EncodeBytes(WStringView s, const char* charset) {
  UINT codePage = 0;
  if (!CodePageOf(charset, codePage)) return std::nullopt;
  if (codePage == kUtf32Le || codePage == kUtf32Be) return std::nullopt;  // never written
  if (codePage == kUtf16Le || codePage == kUtf16Be) {
    std::string out;
    for (char16_t c : s) {
      char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
      out += codePage == kUtf16Be ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
  }
  return Encode(s, codePage);
}

std::optional<WString> DecodeAnsi(std::string_view bytes) { return Decode(bytes, GetACP()); }
std::optional<std::string> EncodeAnsi(WStringView s) { return Encode(s, GetACP()); }

}  // namespace text
