// Malformed nesting must not make a parse slower than linear in the text: each shape is timed
// against a matched document of the same length, so the bound holds on any machine and build.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <string>

#include "xml/XmlDocument.h"

namespace xml {
namespace {

using text::WString;

// Far above what a linear parse shows (about 1-3) and far below what a quadratic one shows at
// these sizes (hundreds).
constexpr double kMaxRatio = 20;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The smallest step the thread clock takes: a few nanoseconds on Linux, 10-16 ms under Wine,
// where a single small parse reads as no time at all.
double ClockStep() {
  double step = 1;
  for (int i = 0; i < 3; ++i) {
    const double start = ThreadSeconds();
    double now = start;
    while (now == start) now = ThreadSeconds();
    step = std::min(step, now - start);
  }
  return step;
}

// Seconds of one parse, averaged over as many parses as make up at least twenty clock steps,
// so that a coarse clock never rounds a parse down to zero.
double ParseSeconds(const WString& text) {
  static const double enough = 20 * ClockStep();
  const double start = ThreadSeconds();
  double elapsed = 0;
  int parses = 0;
  do {
    XmlDocument doc(text);
    ++parses;
    elapsed = ThreadSeconds() - start;
  } while (elapsed < enough);
  return elapsed / parses;
}

// The fastest of a few measurements: the least disturbed one on a shared machine.
double FastestParse(const WString& text) {
  double best = ParseSeconds(text);
  for (int i = 0; i < 4; ++i) best = std::min(best, ParseSeconds(text));
  return best;
}

// Pads the shorter text with trailing whitespace so both have the same length.
void SameLength(WString& a, WString& b) {
  WString& shorter = a.size() < b.size() ? a : b;
  shorter.append(std::max(a.size(), b.size()) - shorter.size(), u' ');
}

void ExpectLinear(WString malformed, WString matched, const char* shape) {
  SameLength(malformed, matched);
  const double bound = kMaxRatio * FastestParse(matched);
  // Tried a few times: one undisturbed run under the bound is enough.
  double best = ParseSeconds(malformed);
  for (int i = 0; i < 4 && best > bound; ++i) best = std::min(best, ParseSeconds(malformed));
  EXPECT_LE(best, bound) << shape << ": " << best << " s against " << bound / kMaxRatio
                         << " s for the matched document";
}

WString Repeat(const WString& piece, int count) {
  WString out;
  out.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(XmlParseTime, EndTagsMatchingNoOpenElement) {
  constexpr int n = 30000;
  // Each </b> is looked for among 30,000 open elements.
  ExpectLinear(Repeat(u"<a>", n) + Repeat(u"</b>", n), Repeat(u"<a>", n) + Repeat(u"</a>", n),
               "lone end tags");
  // The same with a different name on every level.
  WString opened, unmatched, matched;
  for (int i = 0; i < n; ++i) opened += u"<a" + text::FormatInt(i) + u">";
  for (int i = n; i-- > 0;) {
    unmatched += u"</b" + text::FormatInt(i) + u">";
    matched += u"</a" + text::FormatInt(i) + u">";
  }
  ExpectLinear(opened + unmatched, opened + matched, "lone end tags, distinct names");
}

TEST(XmlParseTime, SubtreeLiftedByEveryEndTag) {
  constexpr int n = 10000;
  // Every </a> unends the <b> above it and lifts the 10,000 <c/> one level.
  WString open = u"<r>" + Repeat(u"<a><b>", n) + Repeat(u"<c/>", n);
  ExpectLinear(open + Repeat(u"</a>", n) + u"</r>", open + Repeat(u"</b></a>", n) + u"</r>",
               "subtree lifted by every end tag");
}

}  // namespace
}  // namespace xml
