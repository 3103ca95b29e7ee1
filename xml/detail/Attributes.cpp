#include "xml/detail/Attributes.h"

#include "xml/detail/Scanner.h"

namespace xml::detail {

namespace {

bool EndsElementName(char16_t c) {
  switch (c) {
    case u'!': case u'"': case u'\'': case u'/': case u';': case u'<': case u'=': case u'>':
    case u'?': case u'\\':
      return true;
    default:
      return IsWhitespace(c);
  }
}

bool EndsNameToken(char16_t c) {
  return IsWhitespace(c) || c == u'/' || c == u'=' || c == u'>' || c == u'?';
}

struct Token {
  int32_t start;
  int32_t end;
  bool quoted;
  int32_t valueStart;
  int32_t valueLength;
};

// Reads the token at i (whitespace already skipped) within [.., end).
Token ReadToken(const char16_t* t, int32_t i, int32_t end, bool valuePosition) {
  char16_t c = t[i];
  if (c == u'"' || c == u'\'') {
    int32_t close = i + 1;
    while (close < end && t[close] != c) ++close;
    int32_t tokenEnd = close < end ? close + 1 : end;
    return {i, tokenEnd, true, i + 1, close - i - 1};
  }
  int32_t j = i;
  if (valuePosition) {
    while (j < end && !IsWhitespace(t[j]) && t[j] != u'>') ++j;
  } else {
    while (j < end && !EndsNameToken(t[j])) ++j;
  }
  if (j == i) j = i + 1;
  return {i, j, false, i, j - i};
}

bool IsSingle(const char16_t* t, const Token& tok, char16_t c) {
  return !tok.quoted && tok.end - tok.start == 1 && t[tok.start] == c;
}

AttributeSpot OwnValue(const Token& name) {
  AttributeSpot spot;
  spot.found = true;
  spot.ownValue = true;
  spot.nameEnd = name.end;
  spot.tokenStart = name.start;
  spot.tokenEnd = name.end;
  spot.valueStart = name.valueStart;
  spot.valueLength = name.valueLength;
  return spot;
}

}  // namespace

text::WStringView ElementName(text::WStringView text, int32_t start, int32_t length) {
  int32_t end = start + length;
  int32_t i = start + 1;
  while (i < end && !EndsElementName(text[i])) ++i;
  return text.substr(start + 1, i - start - 1);
}

bool IsWritableName(text::WStringView name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  for (char16_t c : name) {
    if (EndsElementName(c) || c == u'&') return false;
  }
  return true;
}

AttributeSpot FindAttribute(text::WStringView text, int32_t start, int32_t length,
                            text::WStringView name) {
  const char16_t* t = text.data();
  const int32_t end = start + length;
  // A start tag always ends with `>`: nothing is ever placed after it.
  const int32_t lastInside = end - 1;
  int32_t i = start + 1;
  int32_t lastTokenEnd = i;
  bool first = true, valuePosition = false, found = false, equals = false;
  Token nameToken{};
  for (;;) {
    const int32_t tokenAt = i;
    while (i < end && IsWhitespace(t[i])) ++i;
    if (i >= end) break;
    Token tok = ReadToken(t, i, end, valuePosition);
    i = tok.end;
    if (first) {
      first = false;
    } else if (valuePosition) {
      valuePosition = false;
      // `name= />` is an empty element whose value is empty, as the parser reads it.
      const bool emptyClose =
          tok.start > tokenAt && IsSingle(t, tok, u'/') && i < end && t[i] == u'>';
      if (IsSingle(t, tok, u'>') || emptyClose) {
        // `name=` right before the end: an empty value just before the `>`
        if (found && equals) return AttributeSpot{true, false, nameToken.end, tok.start, tok.start, tok.start, 0, 0};
        break;
      }
      if (found && equals) {
        AttributeSpot spot{true, false, nameToken.end, tok.start, tok.end, tok.valueStart,
                           tok.valueLength, 0};
        return spot;
      }
    } else if (IsSingle(t, tok, u'>') || IsSingle(t, tok, u'/') || IsSingle(t, tok, u'?')) {
      break;
    } else if (IsSingle(t, tok, u'=')) {
      valuePosition = true;
      equals = found;
      lastTokenEnd = tok.end;  // a new attribute goes after a trailing `=`, not before it
      continue;
    } else if (found) {
      return OwnValue(nameToken);
    } else if (text.substr(tok.valueStart, tok.valueLength) == name) {
      found = true;
      nameToken = tok;
    }
    lastTokenEnd = tok.end;
  }
  if (found) return OwnValue(nameToken);
  AttributeSpot spot;
  spot.insertAt = lastTokenEnd < lastInside ? lastTokenEnd : lastInside;
  return spot;
}

}  // namespace xml::detail
