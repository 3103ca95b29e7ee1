// The scanner's inner loops, shared by the node scanner and the index builder's fast path.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xml/detail/Scanner.h"

namespace xml::detail::scan {

inline constexpr int32_t kNotFound = -1;

// Character classes of ASCII units, one table look-up per unit in the scanning loops.
enum : uint8_t {
  kSpace = 1,     // TAB LF CR SPACE
  kNameStop = 2,  // ends a tag name: whitespace, `/`, `>`
  kTextStop = 4,  // ends a text run: `<`, `>`
  kBodyStop = 8,  // needs a look inside a tag: `>`, `=`
  kLess = 16,     // `<`
};

struct ClassTable {
  uint8_t bits[128] = {};
  constexpr ClassTable() {
    for (char c : {' ', '\t', '\n', '\r'}) bits[int(c)] = kSpace | kNameStop;
    bits[int('/')] = kNameStop;
    bits[int('>')] = kNameStop | kTextStop | kBodyStop;
    bits[int('<')] = kTextStop | kLess;
    bits[int('=')] = kBodyStop;
  }
};
inline constexpr ClassTable kClasses;

inline uint8_t ClassOf(char16_t c) { return c < 128 ? kClasses.bits[c] : 0; }

// The search loops look at eight units at a time where the processor allows, then finish
// one unit at a time. Each returns the first matching index, or n when there is none.
#if defined(__SSE2__)
inline int32_t FirstSet(int mask) { return __builtin_ctz(static_cast<unsigned>(mask)) / 2; }
#endif

// First unit equal to a or b. Markup is dense: the unit sought is usually a few places
// away, and a unit-by-unit look whose exit the processor predicts lets it run ahead, where a
// vector step makes every later load wait for the found index. Longer runs go eight at a time.
inline constexpr int32_t kShortRun = 16;

inline int32_t SearchEither(const char16_t* t, int32_t n, int32_t i, char16_t a, char16_t b) {
  const int32_t shortEnd = n - i > kShortRun ? i + kShortRun : n;
  for (; i < shortEnd; ++i) {
    if (t[i] == a || t[i] == b) return i;
  }
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
  for (; i + 8 <= n; i += 8) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(x, va), _mm_cmpeq_epi16(x, vb)));
    if (mask != 0) return i + FirstSet(mask);
  }
#endif
  while (i < n && t[i] != a && t[i] != b) ++i;
  return i;
}

inline int32_t Find(const char16_t* t, int32_t n, int32_t i, char16_t c) {
  i = SearchEither(t, n, i, c, c);
  return i < n ? i : kNotFound;
}

// Just past a found position; kNotFound stays.
inline int32_t Next(int32_t pos) { return pos == kNotFound ? pos : pos + 1; }

inline int32_t SkipWhitespace(const char16_t* t, int32_t n, int32_t i) {
  while (i < n && (ClassOf(t[i]) & kSpace)) ++i;
  return i;
}

// Names are short: one unit at a time (see SearchEither).
inline int32_t SkipName(const char16_t* t, int32_t n, int32_t i) {
  // Letters and every non-ASCII unit sort above `>`, the last stop character.
  while (i < n && (t[i] > u'>' || !(kClasses.bits[t[i]] & kNameStop))) ++i;
  return i;
}

// Runs over the inside of a tag to just past its `>`: quotes count only around a value that
// follows `=`, an unquoted value runs from the `=` to whitespace or `>`. With stopAtLt a `<` outside quotes
// ends the run before it. Returns kNotFound when the text ends first.
[[gnu::always_inline]] inline int32_t SkipTagBody(const char16_t* t, int32_t n, int32_t i, bool stopAtLt, bool& empty) {
  int32_t valueEnd = kNotFound;
  const uint8_t stops = stopAtLt ? (kBodyStop | kLess) : kBodyStop;
  while (i < n) {
    if (stopAtLt) {
      while (i < n && !(ClassOf(t[i]) & stops)) ++i;
    } else {
      i = SearchEither(t, n, i, u'>', u'=');
    }
    if (i >= n) break;
    char16_t c = t[i];
    if (c == u'>') {
      empty = t[i - 1] == u'/' && valueEnd != i;
      return i + 1;
    }
    if (c == u'<' && stopAtLt) return i;
    ++i;
    if (c != u'=') continue;
    // Whitespace may stand between `=` and a quoted value; before anything else it leaves the
    // value empty.
    const int32_t quote = SkipWhitespace(t, n, i);
    if (quote < n && (t[quote] == u'"' || t[quote] == u'\'')) i = quote;
    if (i >= n) break;
    c = t[i];
    if (c == u'"' || c == u'\'') {
      int32_t close = Find(t, n, i + 1, c);
      if (close == kNotFound) break;
      i = close + 1;
    } else if (c == u'=') {
      ++i;  // "==" starts no value
    } else if (c != u'>' && !(c == u'<' && stopAtLt)) {
      while (i < n && !IsWhitespace(t[i]) && t[i] != u'>' && !(stopAtLt && t[i] == u'<')) ++i;
      valueEnd = i;
    }
  }
  return kNotFound;
}

}  // namespace xml::detail::scan
