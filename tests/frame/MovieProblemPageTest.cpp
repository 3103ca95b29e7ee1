// The lobby's own page for a movie it cannot show: which entries are addresses, and the path
// written into the page as text, never as markup.
#include <gtest/gtest.h>

#include "lobby/frame/MovieProblemPage.h"

namespace {

using lobby::MovieProblem;

TEST(MovieProblemPageTest, AnEntryWithASchemeIsAnAddressAndADriveLetterIsNot) {
  for (const char16_t* address : {u"http://example.com/index.html", u"HTTPS://example.com/", u"file:///opt/q/m.html",
                                  u"ftp://x/", u"about:blank", u"quorvane://movie/index.html", u"javascript:x"}) {
    EXPECT_TRUE(lobby::NamesAnAddress(address)) << text::ToUtf8(address);
  }
  for (const char16_t* path : {u"movie/index.html", u"movie\\index.html", u"C:\\movie\\index.html", u"c:/m.html",
                               u"", u"index.html", u"1http://x", u"./http://x", u" http://x"}) {
    EXPECT_FALSE(lobby::NamesAnAddress(path)) << text::ToUtf8(path);
  }
}

TEST(MovieProblemPageTest, MarkupCharactersAreWrittenAsReferences) {
  EXPECT_EQ(lobby::EscapeHtml("/a<b>&\"c'/大厅"), "/a&lt;b&gt;&amp;&quot;c&#39;/大厅");
  EXPECT_EQ(lobby::EscapeHtml("&lt;"), "&amp;lt;");
}

TEST(MovieProblemPageTest, ThePageSaysWhatIsWrongAndWhereTheLobbyLooked) {
  const std::string missing = lobby::MovieProblemPage(MovieProblem::kMissing, "/opt/q/movie/index.html", "/opt/q/Config.cfg");
  EXPECT_NE(missing.find("找不到大厅页面文件"), std::string::npos);
  EXPECT_NE(missing.find("大厅查找的位置：<code id=\"where\">/opt/q/movie/index.html</code>"), std::string::npos);
  EXPECT_NE(missing.find("<code id=\"config\">/opt/q/Config.cfg</code>"), std::string::npos);
  const std::string remote = lobby::MovieProblemPage(MovieProblem::kNotLocal, "http://example.com/", "/c");
  EXPECT_NE(remote.find("不是本机上的文件"), std::string::npos);
  EXPECT_NE(remote.find("配置的地址：<code id=\"where\">http://example.com/</code>"), std::string::npos);
  const std::string outside = lobby::MovieProblemPage(MovieProblem::kNotBelowProgram, "/opt/q/index.html", "/c");
  EXPECT_NE(outside.find("程序目录下的一个文件夹"), std::string::npos);
}

TEST(MovieProblemPageTest, APathFromTheConfigurationNeverBecomesMarkup) {
  const std::string page = lobby::MovieProblemPage(
      MovieProblem::kNotLocal, "http://x/\"><script>alert(1)</script><img src=x onerror=alert(2)>&amp;", "/c'<b>");
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_NE(page.find("&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&lt;img src=x onerror=alert(2)&gt;&amp;amp;"),
            std::string::npos);
  EXPECT_NE(page.find("default-src 'none'"), std::string::npos);  // and no script would run anyway
}

}  // namespace
