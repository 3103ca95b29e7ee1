// The bridge serves the movie only: nothing outside the movie's folder loads in the view, web
// addresses go to the user's browser, and no other page or frame can speak for the movie.
#include <unistd.h>

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
  ASSERT_TRUE(WaitForCommand("alive|/movie.html"));
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
  server.Set("/moved", testsupport::HttpResponse::Redirect(Url("/final")));
  server.Set("/final", testsupport::HttpResponse::Ok("<script>fscommand('evil')</script>"));
  LoadPage("movie.html", "<script>onload = () => {"
           "location.href = '" + Url("/moved") + "'; setTimeout(() => fscommand('alive'), 500); };"
           "</script>");
  ASSERT_TRUE(WaitForCommand("alive|"));
  EXPECT_EQ(events.links, std::vector<std::string>{Url("/final")});
  EXPECT_EQ(events.commands, std::vector<std::string>{"alive|"});
}

// The page has no file access at all, so the engine ends a page process that a web frame's
// redirect sends to a file address: the file never loads, and the movie starts again.
TEST_F(PlayerWebLinkTest, AWebFrameRedirectedToAFileLoadsNothingAndTheMovieStartsAgain) {
  WriteFile("outside/evil.html", kEvilPage);
  server.Set("/frame", testsupport::HttpResponse::Redirect("file://" + dir.Join("outside/evil.html")));
  LoadPage("movie.html", "<iframe src=\"" + Url("/frame") + "\"></iframe>"
           "<script>onload = () => fscommand('alive');</script>");
  ASSERT_TRUE(RunUntil([&] { return server.RequestCount("/frame") == 1; }));
  server.Set("/frame", testsupport::HttpResponse::Ok("<p>web"));
  ASSERT_TRUE(RunUntil([&] { return events.unresponsive == 1; }));
  events.commands.clear();
  ASSERT_TRUE(WaitForCommand("alive|"));
  RunFor(200);
  EXPECT_EQ(events.commands, std::vector<std::string>{"alive|"});
  EXPECT_TRUE(events.links.empty());
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

// A hostile page asks for files outside its folder by every spelling, by fetch and by XHR.
// It reports, for each address, what it got ("blocked" when the request failed outright).
constexpr const char* kProbePage = R"(<meta charset="utf-8"><script>
  const viaFetch = (url) => fetch(url).then((r) => r.text().then((t) => r.status + ':' + t))
      .catch(() => 'blocked');
  const viaXhr = (url) => new Promise((done) => {
    const x = new XMLHttpRequest();
    x.open('GET', url);
    x.onload = () => done(x.status + ':' + x.responseText);
    x.onerror = () => done('blocked');
    x.send();
  });
  ExternalInterface.addCallback('Probe', async (list) => {
    for (const url of list) {
      fscommand('fetch', url + '=' + await viaFetch(url));
      fscommand('xhr', url + '=' + await viaXhr(url));
    }
    fscommand('done');
  });
  fscommand('ready');
</script>)";

class PlayerFileAccessTest : public PlayerContainmentTest {
 protected:
  void SetUp() override {
    PlayerContainmentTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    WriteFile("secret.txt", "SECRET");
    WriteFile("movie2/secret.txt", "SECRET");
    WriteFile("movie/data/games.json", R"({"games":["象棋"]})");
    WriteFile("movie/probe.html", kProbePage);
  }

  // What the page got for each address by fetch and by XHR: "fetch <url>=<result>", ...
  std::vector<std::string> Probe(const std::vector<std::string>& urls) {
    EXPECT_TRUE(view->LoadMovie(0, dir.Join("movie/probe.html")));
    EXPECT_TRUE(WaitForCommand("ready|"));
    std::string list;
    for (const std::string& url : urls) {
      list += "<property id=\"" + std::to_string(&url - urls.data()) + "\"><string>" + url +
              "</string></property>";
    }
    Send("<invoke name=\"Probe\"><arguments><array>" + list + "</array></arguments></invoke>");
    EXPECT_TRUE(WaitForCommand("done|", 20000));
    std::vector<std::string> got;
    for (const std::string& c : events.commands) {
      if (c.rfind("fetch|", 0) == 0 || c.rfind("xhr|", 0) == 0) got.push_back(c);
    }
    return got;
  }
};

TEST_F(PlayerFileAccessTest, EncodedClimbsReadNothingOutsideTheFolder) {
  const std::vector<std::string> urls = {
      "..%2Fsecret.txt", "..%2fsecret.txt", "%2E%2E%2Fsecret.txt", "%2e%2e%2fsecret.txt",
      "data/..%2F..%2Fsecret.txt", "..%2F..%2F..%2F..%2F..%2F..%2F..%2F..%2Fetc%2Fpasswd",
      "..%2Fmovie2%2Fsecret.txt", "..%252Fsecret.txt", "%252E%252E%252Fsecret.txt",
      "..\\secret.txt", "..%5Csecret.txt", "data\\..\\..\\secret.txt", "../secret.txt",
      "file://" + dir.Join("secret.txt"), "file:///etc/passwd"};
  const std::vector<std::string> got = Probe(urls);
  ASSERT_EQ(got.size(), urls.size() * 2);
  for (const std::string& result : got) {
    EXPECT_EQ(result.find("SECRET"), std::string::npos) << result;
    EXPECT_EQ(result.find("root:"), std::string::npos) << result;
    const std::string answer = result.substr(result.find('=') + 1);
    EXPECT_TRUE(answer == "blocked" || answer == "403:" || answer == "404:") << result;
  }
}

TEST_F(PlayerFileAccessTest, LinksInsideTheFolderAreFollowedOnlyWhereTheyStayInside) {
  ASSERT_EQ(symlink("../secret.txt", dir.Join("movie/out.txt").c_str()), 0);
  ASSERT_EQ(symlink("/etc", dir.Join("movie/etc").c_str()), 0);
  ASSERT_EQ(symlink("data/games.json", dir.Join("movie/list.json").c_str()), 0);
  const std::vector<std::string> got = Probe({"out.txt", "etc/passwd", "list.json"});
  EXPECT_EQ(got, (std::vector<std::string>{
      "fetch|out.txt=403:", "xhr|out.txt=403:", "fetch|etc/passwd=403:", "xhr|etc/passwd=403:",
      R"(fetch|list.json=200:{"games":["象棋"]})", R"(xhr|list.json=200:{"games":["象棋"]})"}));
}

TEST_F(PlayerFileAccessTest, FilesOfTheFolderLoadAndDirectoriesAndMissingNamesDoNot) {
  const std::vector<std::string> got = Probe({"data/games.json", "data", "data/", "missing.json"});
  EXPECT_EQ(got, (std::vector<std::string>{
      R"(fetch|data/games.json=200:{"games":["象棋"]})", R"(xhr|data/games.json=200:{"games":["象棋"]})",
      "fetch|data=403:", "xhr|data=403:", "fetch|data/=403:", "xhr|data/=403:",
      "fetch|missing.json=404:", "xhr|missing.json=404:"}));
}

// Images and frames are no way around it either: a file image never loads, a file frame is
// refused, and the page's own image does load.
TEST_F(PlayerFileAccessTest, ImagesAndFramesOfFilesOutsideDoNotLoad) {
  WriteFile("outside.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"7\" height=\"7\"/>");
  WriteFile("movie/in.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"5\" height=\"5\"/>");
  LoadPage("movie.html", "<iframe src=\"file://" + dir.Join("secret.txt") + R"("></iframe><script>
    const load = (src) => new Promise((done) => {
      const i = new Image();
      i.onload = () => done(String(i.width));
      i.onerror = () => done('error');
      i.src = src;
    });
    onload = async () => {
      let frame = 'unreadable';
      try { frame = document.querySelector('iframe').contentDocument.body.textContent; } catch (e) {}
      fscommand('images', [await load('in.svg'), await load('..%2Foutside.svg'),
                           await load('file://)" + dir.Join("outside.svg") + R"(')].join(' ') +
                          ' frame:' + frame);
    };
  </script>)");
  ASSERT_TRUE(RunUntil([&] { return !events.commands.empty(); }));
  EXPECT_EQ(events.commands[0].rfind("images|5 error error frame:", 0), 0u) << events.commands[0];
  EXPECT_EQ(events.commands[0].find("SECRET"), std::string::npos);
}

TEST_F(PlayerContainmentTest, AViewDeletedWhileLoadingTouchesNothingLater) {
  LoadPage("movie.html", "<script>fscommand('loaded');</script>");
  view.reset();
  RunFor(500);
  EXPECT_TRUE(events.commands.empty());
}

}  // namespace
}  // namespace playertest
