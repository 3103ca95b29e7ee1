// The bridge serves the movie only: nothing outside the movie's folder loads in the view, web
// addresses go to the user's browser, and no other page or frame can speak for the movie.
#include "tests/player/PlayerHarness.h"
#include "tests/support/TestHttpServer.h"

namespace playertest {
namespace {

using PlayerContainmentTest = PlayerTest;

// A page beside the movie's folder that would report itself if it ever ran with the bridge.
constexpr const char* kEvilPage =
    "<script>if (window.fscommand) fscommand('evil', location.href);</script>";

// A web server the movie's links point at; it records whether the view ever asked it.
class PlayerWebLinkTest : public PlayerContainmentTest {
 protected:
  std::string Url(const std::string& path) { return server.BaseUrl() + path; }

  // A left click at (10, y) of the view, as the display would deliver it.
  void Click(int y) {
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
      GdkEvent* event = gdk_event_new(type);
      event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view->Widget())));
      event->button.button = GDK_BUTTON_PRIMARY;
      event->button.x = 10;
      event->button.y = y;
      event->button.time = GDK_CURRENT_TIME;
      gdk_event_set_device(event, gdk_seat_get_pointer(
          gdk_display_get_default_seat(gdk_display_get_default())));
      gtk_widget_event(view->Widget(), event);
      gdk_event_free(event);
    }
    RunFor(100);
  }
  testsupport::TestHttpServer server;
};

TEST_F(PlayerWebLinkTest, FollowedWebLinkOpensOutsideAndTheMovieStays) {
  server.Set("/news", testsupport::HttpResponse::Ok("<script>fscommand('evil')</script>"));
  LoadPage("movie.html", "<a id=\"l\" href=\"" + Url("/news") + R"(">news</a><script>
    onload = () => { document.getElementById('l').click();
                     setTimeout(() => fscommand('alive', location.pathname), 300); };
  </script>)");
  ASSERT_TRUE(WaitForCommand("alive|" + dir.Join("movie/movie.html")));
  EXPECT_EQ(events.links, std::vector<std::string>{Url("/news")});
  EXPECT_EQ(server.RequestCount("/news"), 0);
}

TEST_F(PlayerWebLinkTest, ScriptedLocationToTheWebOpensOutsideAndTheMovieStays) {
  server.Set("/pay", testsupport::HttpResponse::Ok("<script>fscommand('evil')</script>"));
  LoadPage("movie.html", "<script>onload = () => { location.href = '" + Url("/pay?x=1") +
           "'; setTimeout(() => fscommand('alive'), 500); };</script>");
  ASSERT_TRUE(WaitForCommand("alive|"));
  // The engine asks the server before the main frame is stopped: not shown, opened outside.
  EXPECT_EQ(events.links, std::vector<std::string>{Url("/pay?x=1")});
  EXPECT_EQ(events.commands, std::vector<std::string>{"alive|"});
}

TEST_F(PlayerWebLinkTest, RedirectsAreJudgedWhereTheyLead) {
  WriteFile("outside/evil.html", kEvilPage);
  server.Set("/moved", testsupport::HttpResponse::Redirect(Url("/final")));
  server.Set("/final", testsupport::HttpResponse::Ok("<script>fscommand('evil')</script>"));
  server.Set("/frame", testsupport::HttpResponse::Redirect("file://" + dir.Join("outside/evil.html")));
  LoadPage("movie.html", "<iframe src=\"" + Url("/frame") + "\"></iframe><script>onload = () => {"
           "location.href = '" + Url("/moved") + "'; setTimeout(() => fscommand('alive'), 500); };"
           "</script>");
  ASSERT_TRUE(WaitForCommand("alive|"));
  EXPECT_EQ(events.links, std::vector<std::string>{Url("/final")});
  EXPECT_EQ(events.commands, std::vector<std::string>{"alive|"});
  EXPECT_EQ(server.RequestCount("/frame"), 1);
}

// New windows need a user's click (the engine blocks them otherwise), so the clicks here are
// real button events handed to the view.
TEST_F(PlayerWebLinkTest, NewWindowsAreNeverMadeAndWebOnesOpenOutside) {
  WriteFile("outside/evil.html", kEvilPage);
  LoadPage("movie.html", R"x(<body style="margin:0">
    <a href=")x" + Url("/blank") + R"x(" target="_blank" style="display:block;height:100px">x</a>
    <a href="../outside/evil.html" target="_blank" style="display:block;height:100px">y</a>
    <div style="height:100px" onclick="window.open(')x" + Url("/popup") + R"x(')">z</div>
    <script>onload = () => fscommand('ready');</script></body>)x");
  ASSERT_TRUE(WaitForCommand("ready|"));
  for (int y : {50, 150, 250}) Click(y);
  ASSERT_TRUE(RunUntil([&] { return events.links.size() == 2; }));
  RunFor(300);
  EXPECT_EQ(events.links, (std::vector<std::string>{Url("/blank"), Url("/popup")}));
  EXPECT_EQ(events.commands, std::vector<std::string>{"ready|"});
  EXPECT_EQ(server.Requests().size(), 0u);
}

TEST_F(PlayerContainmentTest, PagesOutsideTheFolderNeverLoad) {
  WriteFile("outside/evil.html", kEvilPage);
  WriteFile("movie/next.html", "<script>fscommand('next');</script>");
  LoadPage("movie.html", R"(<a id="l" href="../outside/evil.html">x</a>
    <iframe src="../outside/evil.html"></iframe><script>
    onload = () => {
      document.getElementById('l').click();
      location.href = 'file:///etc/hostname';
      setTimeout(() => { location.href = '../outside/evil.html'; }, 100);
      setTimeout(() => { location.href = 'next.html'; }, 400);
    };
  </script>)");
  ASSERT_TRUE(WaitForCommand("next|"));
  RunFor(200);
  EXPECT_EQ(events.commands, std::vector<std::string>{"next|"});
  EXPECT_TRUE(events.links.empty());
}

TEST_F(PlayerContainmentTest, AFrameOfAnotherOriginCannotPost) {
  testsupport::TestHttpServer server;
  ASSERT_NE(server.Port(), 0);
  server.Set("/frame.html", testsupport::HttpResponse::Ok(R"(<script>
    const h = window.webkit.messageHandlers.zemba;
    h.postMessage({t: '', k: 'fscommand', a: 'evil', b: ''});
    h.postMessage({t: '0123456789abcdef0123456789abcdef', k: 'call', a: '<invoke name="PlayGame"/>'});
    h.postMessage({k: 'fscommand', a: 'evil'});
    h.postMessage('evil');
    parent.postMessage('frame-done', '*');
  </script>)"));
  LoadPage("movie.html", "<script>addEventListener('message', (e) => fscommand(e.data));</script>"
           "<iframe src=\"" + server.BaseUrl() + "/frame.html\"></iframe>");
  ASSERT_TRUE(WaitForCommand("frame-done|"));
  RunFor(200);
  EXPECT_EQ(events.commands, std::vector<std::string>{"frame-done|"});
  EXPECT_TRUE(events.calls.empty());
}

// The folder name holds characters the content rules would read as pattern syntax.
TEST_F(PlayerContainmentTest, FileAccessIsTheMovieFolderOnly) {
  const std::string folder = "大厅 v2.0+(1)";
  WriteFile(folder + "/data/games.json", R"({"games":["象棋"]})");
  WriteFile("大厅 v2X0+(1)/secret.txt", "sibling");
  WriteFile("secret.txt", "secret");
  WriteFile(folder + "/movie.html", R"(<meta charset="utf-8"><script>
    const read = (url) => fetch(url).then((r) => r.text()).catch(() => 'blocked');
    Promise.all([read('data/games.json'), read('../secret.txt'),
                 read('../大厅 v2X0+(1)/secret.txt'), read('file:///etc/hostname')])
        .then((all) => fscommand('read', all.join(' ')));
  </script>)");
  ASSERT_TRUE(view->LoadMovie(0, dir.Join(folder + "/movie.html")));
  EXPECT_TRUE(WaitForCommand(R"(read|{"games":["象棋"]} blocked blocked blocked)"));
}

TEST_F(PlayerContainmentTest, AViewDeletedWhileLoadingTouchesNothingLater) {
  LoadPage("movie.html", "<script>fscommand('loaded');</script>");
  view.reset();
  RunFor(500);
  EXPECT_TRUE(events.commands.empty());
}

}  // namespace
}  // namespace playertest
