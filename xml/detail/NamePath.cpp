#include "xml/detail/NamePath.h"

namespace xml::detail {

namespace {

bool EndsStepName(char16_t c) {
  return c == u' ' || c == u'/' || c == u'=' || c == u'[' || c == u']';
}

size_t SkipStepName(text::WStringView s, size_t i) {
  while (i < s.size() && !EndsStepName(s[i])) ++i;
  return i;
}

// "@name", "@name=value", "@name='value'" up to the closing `]`; returns the index of that `]`.
size_t SkipAttributeTest(text::WStringView s, size_t i) {
  size_t nameEnd = SkipStepName(s, i + 1);
  if (nameEnd == i + 1) return text::WStringView::npos;
  if (nameEnd < s.size() && s[nameEnd] == u'=') {
    size_t v = nameEnd + 1;
    if (v < s.size() && (s[v] == u'"' || s[v] == u'\'')) {
      size_t close = s.find(s[v], v + 1);
      if (close == text::WStringView::npos) return close;
      nameEnd = close + 1;
    } else {
      nameEnd = s.find(u']', v);
      return nameEnd;
    }
  }
  return nameEnd < s.size() && s[nameEnd] == u']' ? nameEnd : text::WStringView::npos;
}

// The bracket part at `i` (a `[`); returns the index after its `]`, npos when malformed.
size_t SkipBracket(text::WStringView s, size_t i) {
  size_t j = i + 1;
  if (j >= s.size()) return text::WStringView::npos;
  size_t close;
  if (s[j] >= u'0' && s[j] <= u'9') {
    if (s[j] == u'0') return text::WStringView::npos;
    close = j;
    while (close < s.size() && s[close] >= u'0' && s[close] <= u'9') ++close;
    if (close >= s.size() || s[close] != u']') return text::WStringView::npos;
  } else if (s[j] == u'@') {
    close = SkipAttributeTest(s, j);
  } else {
    close = s.find(u']', j);
  }
  return close == text::WStringView::npos ? close : close + 1;
}

// Everything after the first step's name must be well formed.
bool IsWellFormedRest(text::WStringView s, size_t i) {
  for (;;) {
    if (i < s.size() && s[i] == u'[') {
      i = SkipBracket(s, i);
      if (i == text::WStringView::npos) return false;
    }
    if (i == s.size()) return true;
    if (s[i] != u'/') return false;
    ++i;
    if (i < s.size() && s[i] == u'@') {
      size_t end = SkipStepName(s, i + 1);
      return end > i + 1 && end == s.size();
    }
    size_t end = SkipStepName(s, i);
    if (end == i) return false;
    i = end;
  }
}

}  // namespace

NameRequest ParseNameRequest(text::WStringView requested) {
  NameRequest request;
  if (requested.empty()) {
    request.any = true;
    return request;
  }
  if (requested[0] == u'/') {
    request.valid = false;
    return request;
  }
  size_t end = SkipStepName(requested, 0);
  request.name = requested.substr(0, end);
  request.valid = IsWellFormedRest(requested, end);
  return request;
}

}  // namespace xml::detail
