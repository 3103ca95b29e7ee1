#include "xml/XmlEncoding.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "text/CodePage.h"
#include "text/CodePageTable.h"
#include "xml/XmlDocument.h"
#include "xml/detail/Scanner.h"

namespace xml {

namespace {

using text::WString;
using text::WStringView;

// Longer names are not looked up at all; no real encoding name comes near.
constexpr size_t kMaxNameLength = 100;

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
    int32_t known = name.size() < kMaxNameLength ? text::CodePageOfName(name) : -1;
    return known == -1 ? text::kUtf32LeCodePage : known;
  }
  if (name.size() >= kMaxNameLength) return -1;
  return text::CodePageOfName(name);
}

WString ConvertText(std::string_view bytes, WStringView encoding) {
  int32_t codePage = CodePageFromName(encoding);
  // A document that names no known encoding is in the ANSI code page, as all byte text is
  // that names none.
  if (codePage <= 0) codePage = text::AnsiCodePage();
  return text::DecodeCodePage(bytes, codePage).value_or(WString());
}

WString XmlDocument::DetectDeclaredEncoding(WStringView text) {
  return DeclarationScan(text).Run();
}

}  // namespace xml
