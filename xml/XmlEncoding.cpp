#include "xml/XmlEncoding.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "text/CodePage.h"
#include "xml/XmlDocument.h"
#include "xml/detail/Scanner.h"

namespace xml {

namespace {

using text::WString;
using text::WStringView;

struct NamedCodePage {
  std::string_view name;  // lower case
  int32_t codePage;
};

// Every encoding name a document may declare, sorted for binary search. The EBCDIC names
// cp500, csibm500, ebcdic-cp-be and ebcdic-cp-ch are left out on purpose: mapping them to a DOS
// code page would turn the text into nonsense, and leaving them unknown falls back to the ANSI
// code page like any other unknown name. "cp1256 " with a trailing space is left out as a typo.
constexpr NamedCodePage kNames[] = {
    {"_iso-2022-jp", 50221},
    {"_iso-2022-jp$sio", 50222},
    {"ansi_x3.4-1968", 20127},
    {"ansi_x3.4-1986", 20127},
    {"arabic", 28596},
    {"ascii", 20127},
    {"asmo-708", 708},
    {"big5", 950},
    {"big5-hkscs", 950},
    {"ccsid00858", 858},
    {"chinese", 936},
    {"cn-big5", 950},
    {"cn-gb", 936},
    {"codepage437", 437},
    {"cp-gr", 869},
    {"cp-is", 861},
    {"cp00858", 858},
    {"cp1125", 1125},
    {"cp1133", 1133},
    {"cp1200", 1200},
    {"cp12000", 12000},
    {"cp12001", 12001},
    {"cp1201", 1201},
    {"cp1250", 1250},
    {"cp1251", 1251},
    {"cp1252", 1252},
    {"cp1253", 1253},
    {"cp1254", 1254},
    {"cp1255", 1255},
    {"cp1256", 1256},
    {"cp1257", 1257},
    {"cp1258", 1258},
    {"cp1361", 1361},
    {"cp154", 154},
    {"cp367", 20127},
    {"cp437", 437},
    {"cp50221", 50221},
    {"cp51932", 51932},
    {"cp65001", 65001},
    {"cp737", 737},
    {"cp775", 775},
    {"cp819", 28591},
    {"cp850", 850},
    {"cp852", 852},
    {"cp853", 853},
    {"cp855", 855},
    {"cp857", 857},
    {"cp858", 858},
    {"cp860", 860},
    {"cp861", 861},
    {"cp862", 862},
    {"cp863", 863},
    {"cp864", 864},
    {"cp865", 865},
    {"cp866", 866},
    {"cp869", 869},
    {"cp874", 874},
    {"cp932", 932},
    {"cp936", 936},
    {"cp949", 949},
    {"cp950", 950},
    {"csascii", 20127},
    {"csbig5", 950},
    {"cseuckr", 51949},
    {"cseucpkdfmtjapanese", 20932},
    {"csgb2312", 936},
    {"csgb231280", 936},
    {"csibm855", 855},
    {"csibm857", 857},
    {"csibm860", 860},
    {"csibm861", 861},
    {"csibm863", 863},
    {"csibm864", 864},
    {"csibm865", 865},
    {"csibm866", 866},
    {"csibm869", 869},
    {"csiso2022jp", 50221},
    {"csiso2022kr", 50225},
    {"csiso58gb231280", 936},
    {"csisolatin1", 28591},
    {"csisolatin2", 28592},
    {"csisolatin3", 28593},
    {"csisolatin4", 28594},
    {"csisolatin5", 28595},
    {"csisolatinarabic", 28596},
    {"csisolatincyrillic", 28595},
    {"csisolatingreek", 28597},
    {"csisolatinhebrew", 28598},
    {"cskoi8r", 20866},
    {"csksc56011987", 949},
    {"csmacintosh", 10000},
    {"cspc775baltic", 775},
    {"cspc8", 437},
    {"cspc850multilingual", 850},
    {"cspc862latinhebrew", 862},
    {"cspc8codepage437", 437},
    {"cspcp852", 852},
    {"csptcp154", 154},
    {"csshiftjis", 932},
    {"csunicode11utf7", 65000},
    {"cswindows31j", 932},
    {"cyrillic", 28595},
    {"cyrillic-asian", 154},
    {"dos-720", 720},
    {"dos-862", 862},
    {"dos-874", 874},
    {"ecma-114", 28596},
    {"ecma-118", 28597},
    {"elot_928", 28597},
    {"euc-cn", 51936},
    {"euc-jp", 20932},
    {"euc-kr", 51949},
    {"extended_unix_code_packed_format_for_japanese", 20932},
    {"gb18030", 54936},
    {"gb2312", 936},
    {"gb2312-80", 936},
    {"gb231280", 936},
    {"gb_2312-80", 936},
    {"gbk", 936},
    {"greek", 28597},
    {"greek8", 28597},
    {"hebrew", 28598},
    {"hz-gb-2312", 52936},
    {"ibm-cp1133", 1133},
    {"ibm00858", 858},
    {"ibm367", 20127},
    {"ibm437", 437},
    {"ibm737", 737},
    {"ibm775", 775},
    {"ibm819", 28591},
    {"ibm850", 850},
    {"ibm852", 852},
    {"ibm855", 855},
    {"ibm857", 857},
    {"ibm860", 860},
    {"ibm861", 861},
    {"ibm862", 862},
    {"ibm863", 863},
    {"ibm864", 864},
    {"ibm865", 865},
    {"ibm866", 866},
    {"ibm869", 869},
    {"iso-2022-jp", 50220},
    {"iso-2022-jp-ms", 50221},
    {"iso-2022-kr", 50225},
    {"iso-4873:1986", 54936},
    {"iso-8859-1", 28591},
    {"iso-8859-11", 874},
    {"iso-8859-13", 28603},
    {"iso-8859-15", 28605},
    {"iso-8859-2", 28592},
    {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},
    {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},
    {"iso-8859-8", 28598},
    {"iso-8859-8-i", 38598},
    {"iso-8859-9", 28599},
    {"iso-ir-100", 28591},
    {"iso-ir-101", 28592},
    {"iso-ir-109", 28593},
    {"iso-ir-110", 28594},
    {"iso-ir-126", 28597},
    {"iso-ir-127", 28596},
    {"iso-ir-138", 28598},
    {"iso-ir-144", 28595},
    {"iso-ir-148", 28599},
    {"iso-ir-149", 949},
    {"iso-ir-58", 936},
    {"iso-ir-6", 20127},
    {"iso-ir-6us", 20127},
    {"iso2022-jp-ms", 50221},
    {"iso2022-kr", 50225},
    {"iso646-us", 20127},
    {"iso8859-1", 28591},
    {"iso8859-13", 28603},
    {"iso8859-15", 28605},
    {"iso8859-2", 28592},
    {"iso8859-3", 28593},
    {"iso8859-4", 28594},
    {"iso8859-5", 28595},
    {"iso8859-6", 28596},
    {"iso8859-7", 28597},
    {"iso8859-8", 28598},
    {"iso8859-8-i", 38598},
    {"iso8859-9", 28599},
    {"iso_646.irv:1991", 20127},
    {"iso_8859-1", 28591},
    {"iso_8859-15", 28605},
    {"iso_8859-1:1987", 28591},
    {"iso_8859-2", 28592},
    {"iso_8859-2:1987", 28592},
    {"iso_8859-3", 28593},
    {"iso_8859-3:1988", 28593},
    {"iso_8859-4", 28594},
    {"iso_8859-4:1988", 28594},
    {"iso_8859-5", 28595},
    {"iso_8859-5:1988", 28595},
    {"iso_8859-6", 28596},
    {"iso_8859-6:1987", 28596},
    {"iso_8859-7", 28597},
    {"iso_8859-7:1987", 28597},
    {"iso_8859-8", 28598},
    {"iso_8859-8:1988", 28598},
    {"iso_8859-9", 28599},
    {"iso_8859-9:1989", 28599},
    {"johab", 1361},
    {"koi", 20866},
    {"koi8", 20866},
    {"koi8-r", 20866},
    {"koi8-ru", 21866},
    {"koi8-u", 21866},
    {"koi8r", 20866},
    {"korean", 949},
    {"ks-c-5601", 949},
    {"ks-c5601", 949},
    {"ks_c_5601", 949},
    {"ks_c_5601-1987", 949},
    {"ks_c_5601-1989", 949},
    {"ks_c_5601_1987", 949},
    {"ksc5601", 949},
    {"ksc_5601", 949},
    {"l1", 28591},
    {"l2", 28592},
    {"l3", 28593},
    {"l4", 28594},
    {"l5", 28599},
    {"l9", 28605},
    {"latin-9", 28605},
    {"latin1", 28591},
    {"latin2", 28592},
    {"latin3", 28593},
    {"latin4", 28594},
    {"latin5", 28599},
    {"latin9", 28605},
    {"logical", 38598},
    {"mac", 10000},
    {"macintosh", 10000},
    {"ms-ansi", 1252},
    {"ms-arab", 1256},
    {"ms-cyrl", 1251},
    {"ms-ee", 1250},
    {"ms-greek", 1253},
    {"ms-hebr", 1255},
    {"ms-turk", 1254},
    {"ms50221", 50221},
    {"ms51932", 51932},
    {"ms932", 932},
    {"ms936", 936},
    {"ms_kanji", 932},
    {"pc-multilingual-850+euro", 858},
    {"pt154", 154},
    {"ptcp154", 154},
    {"shifft_jis", 932},
    {"shifft_jis-ms", 932},
    {"shift-jis", 932},
    {"shift_jis", 932},
    {"sjis", 932},
    {"sjis-ms", 932},
    {"sjis-open", 932},
    {"sjis-win", 932},
    {"tis-620", 874},
    {"ucs-2", 1200},
    {"ucs-2be", 1201},
    {"ucs-2le", 1200},
    {"uhc", 949},
    {"unicode", 1200},
    {"unicode-1-1-utf-7", 65000},
    {"unicode-1-1-utf-8", 65001},
    {"unicode-2-0-utf-8", 65001},
    {"unicodefffe", 1201},
    {"us", 20127},
    {"us-ascii", 20127},
    {"utf-16", 1200},
    {"utf-16be", 1201},
    {"utf-16le", 1200},
    {"utf-32", 12000},
    {"utf-32be", 12001},
    {"utf-32le", 12000},
    {"utf-7", 65000},
    {"utf-8", 65001},
    {"utf16", 1200},
    {"utf16be", 1201},
    {"utf16le", 1200},
    {"utf32", 12000},
    {"utf32be", 12001},
    {"utf32le", 12000},
    {"utf8", 65001},
    {"visual", 28598},
    {"winbaltrim", 1257},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1252", 1252},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"windows-31j", 932},
    {"windows-50221", 50221},
    {"windows-51932", 51932},
    {"windows-874", 874},
    {"windows-932", 932},
    {"windows-936", 936},
    {"x-ansi", 1252},
    {"x-chinese-cns", 20000},
    {"x-chinese-eten", 20002},
    {"x-chinese_cns", 20000},
    {"x-cp1250", 1250},
    {"x-cp1251", 1251},
    {"x-cp20001", 20001},
    {"x-cp20003", 20003},
    {"x-cp20004", 20004},
    {"x-cp20005", 20005},
    {"x-cp20261", 20261},
    {"x-cp20269", 20269},
    {"x-cp20936", 20936},
    {"x-cp20949", 20949},
    {"x-cp50227", 50227},
    {"x-euc", 51932},
    {"x-euc-cn", 51936},
    {"x-euc-jp", 51932},
    {"x-europa", 29001},
    {"x-ia5", 20105},
    {"x-ia5-german", 20106},
    {"x-ia5-norwegian", 20108},
    {"x-ia5-swedish", 20107},
    {"x-iscii-as", 57006},
    {"x-iscii-be", 57003},
    {"x-iscii-de", 57002},
    {"x-iscii-gu", 57010},
    {"x-iscii-ka", 57008},
    {"x-iscii-ma", 57009},
    {"x-iscii-or", 57007},
    {"x-iscii-pa", 57011},
    {"x-iscii-ta", 57004},
    {"x-iscii-te", 57005},
    {"x-mac-arabic", 10004},
    {"x-mac-ce", 10029},
    {"x-mac-chinesesimp", 10008},
    {"x-mac-chinesetrad", 10002},
    {"x-mac-croatian", 10082},
    {"x-mac-cyrillic", 10007},
    {"x-mac-greek", 10006},
    {"x-mac-hebrew", 10005},
    {"x-mac-icelandic", 10079},
    {"x-mac-japanese", 10001},
    {"x-mac-korean", 10003},
    {"x-mac-romanian", 10010},
    {"x-mac-thai", 10021},
    {"x-mac-turkish", 10081},
    {"x-mac-ukrainian", 10017},
    {"x-ms-cp932", 932},
    {"x-sjis", 932},
    {"x-unicode-2-0-utf-7", 65000},
    {"x-unicode-2-0-utf-8", 65001},
    {"x-x-big5", 950},
    {"x_chinese-eten", 20002},
};

static_assert(std::is_sorted(std::begin(kNames), std::end(kNames),
                             [](const NamedCodePage& a, const NamedCodePage& b) {
                               return a.name < b.name;
                             }),
              "kNames must stay sorted for the binary search");

struct CodePageCharset {
  int32_t codePage;
  const char* charset;
};

// The iconv charset behind each code page that iconv can decode, sorted by code page. Code pages
// without an exact counterpart (DOS-720, CP853, most Mac pages, CNS, IA5, Europa, ISCII, HZ) are
// missing on purpose: a near match would decode silently wrong.
constexpr CodePageCharset kCharsets[] = {
    {154, "PT154"},         {437, "IBM437"},        {708, "ASMO-708"},
    {737, "CP737"},         {775, "CP775"},         {850, "IBM850"},
    {852, "IBM852"},        {855, "IBM855"},        {857, "IBM857"},
    {858, "IBM858"},        {860, "IBM860"},        {861, "IBM861"},
    {862, "IBM862"},        {863, "IBM863"},        {864, "IBM864"},
    {865, "IBM865"},        {866, "IBM866"},        {869, "IBM869"},
    {874, "CP874"},         {932, "CP932"},         {936, text::kAnsiCharset},
    {949, "CP949"},         {950, "CP950"},         {1125, "CP1125"},
    {1133, "CP1133"},       {1200, "UTF-16LE"},     {1201, "UTF-16BE"},
    {1250, "CP1250"},       {1251, "CP1251"},       {1252, "CP1252"},
    {1253, "CP1253"},       {1254, "CP1254"},       {1255, "CP1255"},
    {1256, "CP1256"},       {1257, "CP1257"},       {1258, "CP1258"},
    {1361, "JOHAB"},        {10000, "MACINTOSH"},   {10007, "MACCYRILLIC"},
    {10017, "MACUKRAINIAN"}, {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},
    {12000, "UTF-32LE"},    {12001, "UTF-32BE"},    {20106, "ISO646-DE"},
    {20107, "ISO646-SE"},   {20108, "ISO646-NO"},   {20127, "ASCII"},
    {20261, "T.61-8BIT"},   {20269, "ISO_6937"},    {20866, "KOI8-R"},
    {20932, "EUC-JP"},      {20936, "GB2312"},      {20949, "EUC-KR"},
    {21866, "KOI8-U"},      {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},  {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},  {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"},
    // Logical-order Hebrew has the same bytes as visual order; only the display differs.
    {38598, "ISO-8859-8"},  {50220, "ISO-2022-JP"},
    // 50221 and 50222 add half-width katakana (ESC ( I), which this one decodes.
    {50221, "ISO-2022-JP-3"}, {50222, "ISO-2022-JP-3"}, {50225, "ISO-2022-KR"},
    {50227, "ISO-2022-CN"}, {51932, "EUC-JP-MS"},   {51936, "GB2312"},
    {51949, "EUC-KR"},      {54936, "GB18030"},     {65000, "UTF-7"},
    {65001, "UTF-8"},
};

static_assert(std::is_sorted(std::begin(kCharsets), std::end(kCharsets),
                             [](const CodePageCharset& a, const CodePageCharset& b) {
                               return a.codePage < b.codePage;
                             }),
              "kCharsets must stay sorted for the binary search");

// Longer names are not looked up at all; no real encoding name comes near.
constexpr size_t kMaxNameLength = 100;

int32_t LookUpName(WStringView name) {
  std::string lower;
  lower.reserve(name.size());
  for (char16_t c : name) {
    if (c > 0x7F) return -1;  // every known name is ASCII
    lower.push_back(static_cast<char>(text::AsciiLower(c)));
  }
  const auto* end = std::end(kNames);
  const auto* it = std::lower_bound(std::begin(kNames), end, lower,
                                    [](const NamedCodePage& e, const std::string& n) {
                                      return e.name < n;
                                    });
  return it != end && it->name == lower ? it->codePage : -1;
}

constexpr char16_t kReplacement = 0xFFFD;

// Four bytes per little-endian code point; what cannot be a character becomes U+FFFD.
WString DecodeUtf32(std::string_view bytes) {
  WString out;
  out.reserve(bytes.size() / 4 + 1);
  size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4) {
    uint32_t cp = 0;
    for (int b = 3; b >= 0; --b) cp = (cp << 8) | static_cast<unsigned char>(bytes[i + b]);
    text::AppendUtf32Value(out, cp);
  }
  if (i < bytes.size()) out.push_back(kReplacement);  // a code point cut off by the end
  return out;
}

// Length of the UTF-8 sequence at the start of `s`, or 0 when it is not a well-formed one.
size_t Utf8SequenceLength(std::string_view s) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  size_t more;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;  // a continuation byte, an overlong C0/C1 lead, or F5 and up
  }
  if (s.size() <= more) return 0;
  if (at(1) < low || at(1) > high) return 0;
  for (size_t i = 2; i <= more; ++i) {
    if (at(i) < 0x80 || at(i) > 0xBF) return 0;
  }
  return more + 1;
}

// One token of a tag: a quoted value, a bare word, or a single punctuation character.
struct TagToken {
  WStringView text;
  bool quoted = false;

  bool Is(char16_t c) const { return !quoted && text.size() == 1 && text[0] == c; }
};

// Splits the inside of a start tag or processing instruction into tokens. A bare value (after
// "=") runs to whitespace or ">"; a name also stops at "/", "=" and "?".
class TagTokenizer {
 public:
  explicit TagTokenizer(WStringView source) : source_(source) {}

  std::optional<TagToken> Next(bool value) {
    while (pos_ < source_.size() && detail::IsWhitespace(source_[pos_])) ++pos_;
    if (pos_ >= source_.size()) return std::nullopt;
    char16_t c = source_[pos_];
    if (c == u'"' || c == u'\'') return Quoted(c);
    size_t start = pos_;
    while (pos_ < source_.size() && !EndsToken(source_[pos_], value)) ++pos_;
    if (pos_ == start) ++pos_;
    return TagToken{source_.substr(start, pos_ - start)};
  }

 private:
  static bool EndsToken(char16_t c, bool value) {
    if (detail::IsWhitespace(c) || c == u'>') return true;
    return !value && (c == u'/' || c == u'=' || c == u'?');
  }

  TagToken Quoted(char16_t quote) {
    size_t start = pos_ + 1;
    size_t end = std::min(source_.find(quote, start), source_.size());
    pos_ = std::min(end + 1, source_.size());
    return TagToken{source_.substr(start, end - start), true};
  }

  WStringView source_;
  size_t pos_ = 0;
};

// The raw value of the attribute `name` (any letter case) in the tag text after the tag name;
// nullopt when it is missing or written without a value.
std::optional<WStringView> FindTagAttribute(WStringView tag, WStringView name) {
  TagTokenizer tokens(tag);
  bool value = false;
  bool wanted = false;
  while (std::optional<TagToken> token = tokens.Next(value)) {
    if (value) {
      if (token->Is(u'>')) break;
      if (wanted) return token->text;
      value = false;
    } else if (token->Is(u'=')) {
      value = true;
    } else if (token->Is(u'>') || token->Is(u'/') || token->Is(u'?')) {
      break;
    } else {
      wanted = !token->quoted && text::AsciiEqualsNoCase(token->text, name);
    }
  }
  return std::nullopt;
}

bool IsCharsetDelimiter(char16_t c) {
  return std::u16string_view(u"!/;<=>?\\").find(c) != std::u16string_view::npos;
}

// The charset named in a Content-Type value such as "text/html; charset=GBK", or empty.
WString CharsetOfContentType(WStringView content) {
  // Whitespace and quotes only separate; the other delimiters are tokens of their own.
  std::vector<WStringView> tokens;
  size_t i = 0;
  while (i < content.size()) {
    char16_t c = content[i];
    if (detail::IsWhitespace(c) || c == u'"' || c == u'\'') {
      ++i;
    } else if (IsCharsetDelimiter(c)) {
      tokens.push_back(content.substr(i++, 1));
    } else {
      size_t start = i;
      while (i < content.size() && !detail::IsWhitespace(content[i]) && content[i] != u'"' &&
             content[i] != u'\'' && !IsCharsetDelimiter(content[i])) {
        ++i;
      }
      tokens.push_back(content.substr(start, i - start));
    }
  }
  for (size_t t = 0; t + 2 < tokens.size(); ++t) {
    bool isWord = !(tokens[t + 2].size() == 1 && IsCharsetDelimiter(tokens[t + 2][0]));
    if (text::AsciiEqualsNoCase(tokens[t], u"charset") && tokens[t + 1] == u"=" && isWord) {
      return WString(tokens[t + 2]);
    }
  }
  return {};
}

// What a node says about the encoding: a result (possibly empty) ends the scan.
class DeclarationScan {
 public:
  explicit DeclarationScan(WStringView source) : source_(source), state_(source) {}

  WString Run() {
    for (;;) {
      detail::NodeKind kind = detail::NextNode(state_);
      std::optional<WString> result = Visit(kind);
      if (result) return *result;
    }
  }

 private:
  std::optional<WString> Visit(detail::NodeKind kind) {
    using detail::NodeKind;
    switch (kind) {
      case NodeKind::kProcessingInstruction:
        if (state_.nodeStart != 0 || !NameIs(u"xml")) return std::nullopt;
        return WString(Attribute(u"encoding").value_or(WStringView()));
      case NodeKind::kStartTag:
        return VisitStartTag();
      case NodeKind::kEndTag:
        if (NameIs(u"head")) return WString();
        return std::nullopt;
      case NodeKind::kSyntaxError:
      case NodeKind::kEndOfText:
        return WString();
      default:
        return std::nullopt;
    }
  }

  std::optional<WString> VisitStartTag() {
    if (!sawStartTag_) {
      sawStartTag_ = true;
      if (!NameIs(u"html")) return WString();
      return std::nullopt;
    }
    if (!NameIs(u"meta")) return std::nullopt;
    std::optional<WStringView> equiv = Attribute(u"http-equiv");
    if (!equiv || !text::AsciiEqualsNoCase(*equiv, u"Content-Type")) return std::nullopt;
    std::optional<WStringView> content = Attribute(u"content");
    return content ? CharsetOfContentType(*content) : WString();
  }

  bool NameIs(WStringView name) const {
    WStringView found = source_.substr(state_.nameStart, state_.nameLength);
    // A target written right against its "?>" ("<?xml?>") keeps the "?" in the scanned name.
    if (found.ends_with(u'?')) found.remove_suffix(1);
    return text::AsciiEqualsNoCase(found, name);
  }

  std::optional<WStringView> Attribute(WStringView name) const {
    size_t afterName = static_cast<size_t>(state_.nameStart + state_.nameLength);
    size_t end = static_cast<size_t>(state_.nodeStart + state_.nodeLength);
    return FindTagAttribute(source_.substr(afterName, end - afterName), name);
  }

  WStringView source_;
  detail::ScanState state_;
  bool sawStartTag_ = false;
};

}  // namespace

int32_t CodePageFromName(WStringView name) {
  if (name.empty()) return 0;
  // Any name spelled "UTF-32..." in capitals is UTF-32; only the big-endian one differs.
  if (name.substr(0, 6) == u"UTF-32") {
    int32_t known = name.size() < kMaxNameLength ? LookUpName(name) : -1;
    return known == -1 ? kUtf32CodePage : known;
  }
  if (name.size() >= kMaxNameLength) return -1;
  return LookUpName(name);
}

const char* CharsetOfCodePage(int32_t codePage) {
  if (codePage == 0) codePage = kAnsiCodePage;
  const auto* end = std::end(kCharsets);
  const auto* it = std::lower_bound(
      std::begin(kCharsets), end, codePage,
      [](const CodePageCharset& e, int32_t cp) { return e.codePage < cp; });
  return it != end && it->codePage == codePage ? it->charset : nullptr;
}

WString ConvertText(std::string_view bytes, WStringView encoding) {
  int32_t codePage = CodePageFromName(encoding);
  if (codePage == -1) codePage = 0;
  if (codePage == kUtf32CodePage) return DecodeUtf32(bytes);
  const char* charset = CharsetOfCodePage(codePage);
  if (charset == nullptr) return {};
  std::optional<WString> decoded = text::DecodeBytes(bytes, charset);
  return decoded ? std::move(*decoded) : WString();
}

bool IsValidUtf8(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  while (!bytes.empty()) {
    size_t length = Utf8SequenceLength(bytes);
    if (length == 0) return false;
    bytes.remove_prefix(length);
  }
  return true;
}

WString XmlDocument::DetectDeclaredEncoding(WStringView text) {
  return DeclarationScan(text).Run();
}

}  // namespace xml
