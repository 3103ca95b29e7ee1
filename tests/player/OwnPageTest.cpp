// The lobby's own page in place of a movie that cannot be shown: the view shows it, not the
// engine's error page, and it gets neither the bridge nor the movie's files.
#include <webkit2/webkit2.h>

#include <optional>

#include "lobby/frame/MovieProblemPage.h"
#include "tests/player/PlayerHarness.h"

namespace playertest {
namespace {

class OwnPageTest : public PlayerTest {
 protected:
  // Runs `body` as an async function in the shown page (as the engine's own script, past the
  // page's policy) and returns its string result.
  std::optional<std::string> Evaluate(const std::string& body) {
    struct Answer {
      bool done = false;
      std::optional<std::string> value;
    } answer;
    webkit_web_view_call_async_javascript_function(
        WebView(), body.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
          auto* a = static_cast<Answer*>(data);
          JSCValue* value = webkit_web_view_call_async_javascript_function_finish(
              WEBKIT_WEB_VIEW(source), result, nullptr);
          if (value && jsc_value_is_string(value)) {
            gchar* s = jsc_value_to_string(value);
            a->value = s;
            g_free(s);
          }
          if (value) g_object_unref(value);
          a->done = true;
        },
        &answer);
    RunUntil([&] { return answer.done; });
    return answer.value;
  }
  WebKitWebView* WebView() { return WEBKIT_WEB_VIEW(view->Widget()); }
  bool ShownAndLoaded(const char* uri) {
    return RunUntil([&] {
      const gchar* now = webkit_web_view_get_uri(WebView());
      return now && std::string(now) == uri && !webkit_web_view_is_loading(WebView());
    });
  }
};

TEST_F(OwnPageTest, APageFileThatIsMissingIsNotLoaded) {
  WriteFile("movie/other.html", "x");
  EXPECT_FALSE(view->LoadMovie(0, dir.Join("movie/index.html")));
  WriteFile("movie/dir.html/x", "x");  // a folder by the page's name is no page either
  EXPECT_FALSE(view->LoadMovie(0, dir.Join("movie/dir.html")));
}

TEST_F(OwnPageTest, ThePageIsShownInPlaceOfTheMovie) {
  view->ShowPage("<!DOCTYPE html><meta charset=\"utf-8\"><p id=\"where\">找不到大厅页面</p>");
  ASSERT_TRUE(ShownAndLoaded("about:blank"));
  EXPECT_EQ(Evaluate("return document.getElementById('where').textContent;"), "找不到大厅页面");
}

TEST_F(OwnPageTest, ThePageHasNoBridgeAndNoMovieFiles) {
  WriteFile("movie/games.json", "[1]");
  LoadPage("movie.html", "<script>fscommand('ready')</script>");
  ASSERT_TRUE(WaitForCommand("ready|"));
  view->ShowPage("<p>problem</p>");
  ASSERT_TRUE(ShownAndLoaded("about:blank"));
  EXPECT_EQ(Evaluate("try { const r = await fetch('quorvane://movie/games.json'); return 'read ' + r.status; }"
                     " catch (e) { return 'refused'; }"),
            "refused");
  Evaluate("if (window.fscommand) fscommand('leak', 'fs');"
           "if (window.ExternalInterface) ExternalInterface.call('Leak'); return '';");
  RunFor(300);
  EXPECT_EQ(events.commands, std::vector<std::string>{"ready|"});
  EXPECT_TRUE(events.calls.empty());
  // A movie loaded afterwards has its bridge again.
  LoadPage("movie.html", "<script>fscommand('again')</script>");
  EXPECT_TRUE(WaitForCommand("again|"));
}

// The engine reads the page: the path from the configuration comes out as the same text, and
// nothing in it became an element or ran.
TEST_F(OwnPageTest, APathFromTheConfigurationIsShownAsTextByTheEngine) {
  const std::string where = "http://x/\"><script>document.title='ran'</script><img src=x onerror=\"document.title='ran'\">&amp;'";
  view->ShowPage(lobby::MovieProblemPage(lobby::MovieProblem::kNotLocal, where, "/opt/q/Config.cfg"));
  ASSERT_TRUE(ShownAndLoaded("about:blank"));
  EXPECT_EQ(Evaluate("return document.getElementById('where').textContent;"), where);
  EXPECT_EQ(Evaluate("return String(document.querySelectorAll('script, img').length) + document.title;"),
            "0无法显示大厅页面");
}

}  // namespace
}  // namespace playertest
