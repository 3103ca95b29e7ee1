// What a partial answer must say before its bytes are written into a kept archive, and which
// validator guards the range.
#include "updater/PartialArchive.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

platform::HttpAnswer Answer(std::vector<std::pair<std::string, std::string>> fields) {
  platform::HttpAnswer a;
  a.status = 206;
  a.fields = std::move(fields);
  return a;
}

TEST(ContentRange, ReadsFirstLastAndCompleteSize) {
  const auto r = ParseContentRange("bytes 100-199/200");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 100u);
  EXPECT_EQ(r->last, 199u);
  EXPECT_EQ(r->complete, 200u);
}

TEST(ContentRange, RefusesFormsThatDoNotNameOneRangeOfAKnownSize) {
  for (const char* bad : {"bytes */200", "bytes 100-199/*", "bytes 150-100/200", "bytes 0-200/200", "items 0-1/2",
                          "bytes 0-1/2, 4-5/6", "bytes -1-5/9", "bytes 1-5/9x", "",
                          // past 64 bits: wrapped, the last would read as "bytes 0-4/5"
                          "bytes 0-4/18446744073709551621", "bytes 18446744073709551616-4/5"}) {
    EXPECT_FALSE(ParseContentRange(bad)) << bad;
  }
}

TEST(ContentRange, FitsWhenItRunsToTheEndAndStartsAtOrBeforeTheAsk) {
  uint64_t first = 0;
  EXPECT_TRUE(RangeFits(Answer({{"Content-Range", "bytes 90-199/200"}}), 100, 200, first));
  EXPECT_EQ(first, 90u);
  EXPECT_TRUE(RangeFits(Answer({{"content-range", "bytes 100-199/200"}, {"Content-Length", "100"}}), 100, 200, first));
  EXPECT_EQ(first, 100u);
}

TEST(ContentRange, DoesNotFitOtherwise) {
  uint64_t first = 0;
  EXPECT_FALSE(RangeFits(Answer({}), 100, 200, first));
  EXPECT_FALSE(RangeFits(Answer({{"Content-Range", "bytes 101-199/200"}}), 100, 200, first));
  EXPECT_FALSE(RangeFits(Answer({{"Content-Range", "bytes 100-198/200"}}), 100, 200, first));
  EXPECT_FALSE(RangeFits(Answer({{"Content-Range", "bytes 100-200/201"}}), 100, 200, first));
  EXPECT_FALSE(RangeFits(Answer({{"Content-Range", "bytes 100-199/200"}, {"Content-Length", "99"}}), 100, 200, first));
}

TEST(Validator, StrongETagFirstThenLastModified) {
  EXPECT_EQ(ValidatorOf(Answer({{"Last-Modified", "Mon"}, {"ETag", "\"abc\""}})), "\"abc\"");
  EXPECT_EQ(ValidatorOf(Answer({{"ETag", "W/\"abc\""}, {"Last-Modified", "Mon"}})), "Mon");
  EXPECT_EQ(ValidatorOf(Answer({{"ETag", "W/\"abc\""}})), "");
  EXPECT_EQ(ValidatorOf(Answer({})), "");
}

TEST(HttpAnswerFields, AStatusLineDropsTheFieldsOfTheAnswerBefore) {
  platform::HttpAnswer a;
  a.AddLine("HTTP/1.1 302 Found\r\n");
  a.AddLine("ETag: \"old\"\r\n");
  a.AddLine("HTTP/1.1 200 OK\r\n");
  a.AddLine("Content-Length:  12 \r\n");
  a.AddLine("\r\n");
  EXPECT_EQ(a.Field("etag"), "");
  EXPECT_EQ(a.Field("content-length"), "12");
}

}  // namespace
}  // namespace updater
