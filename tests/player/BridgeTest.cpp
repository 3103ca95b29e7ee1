// The bridge between a real movie page and the host: what the page sends arrives as the host's
// events, and what the host sends reaches the page's callbacks.
#include <webkit2/webkit2.h>

#include <algorithm>

#include "tests/player/PlayerHarness.h"

namespace playertest {
namespace {

// A key press as the frame would forward it.
void ForwardKey(lobby::IMoviePlayerView& view, guint keyval) {
  GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
  key->key.keyval = keyval;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                        keyval, &keys, &count) && count > 0) {
    key->key.hardware_keycode = keys[0].keycode;
  }
  g_free(keys);
  gdk_event_set_device(key, gdk_seat_get_keyboard(
      gdk_display_get_default_seat(gdk_display_get_default())));
  view.ForwardKey(&key->key);
  gdk_event_free(key);
}

bool AnyPopupShown() {
  GList* windows = gtk_window_list_toplevels();
  bool shown = false;
  for (GList* w = windows; w; w = w->next) {
    shown |= gtk_window_get_window_type(GTK_WINDOW(w->data)) == GTK_WINDOW_POPUP &&
             gtk_widget_get_visible(GTK_WIDGET(w->data));
  }
  g_list_free(windows);
  return shown;
}

using PlayerBridgeTest = PlayerTest;

TEST_F(PlayerBridgeTest, CallSendsEveryValueKindAsOneEscapedInvokeDocument) {
  LoadPage("movie.html", R"(<script>
    const loop = {n: 1}; loop.self = loop;
    ExternalInterface.call('Save"Server', 'a&b<c>"d\'e', '', 42, -1.5, true, false, null,
        undefined, [1, '二'], {UserName: '张三', Nested: {List: []}}, loop);
  </script>)");
  ASSERT_TRUE(RunUntil([&] { return !events.calls.empty(); }));
  EXPECT_EQ(events.calls[0],
            "<invoke name=\"Save&quot;Server\" returntype=\"xml\"><arguments>"
            "<string>a&amp;b&lt;c&gt;&quot;d&apos;e</string><string></string>"
            "<number>42</number><number>-1.5</number><true/><false/><null/><undefined/>"
            "<array><property id=\"0\"><number>1</number></property>"
            "<property id=\"1\"><string>二</string></property></array>"
            "<object><property id=\"UserName\"><string>张三</string></property>"
            "<property id=\"Nested\"><object><property id=\"List\"><array></array></property>"
            "</object></property></object>"
            "<object><property id=\"n\"><number>1</number></property>"
            "<property id=\"self\"><null/></property></object>"
            "</arguments></invoke>");
}

TEST_F(PlayerBridgeTest, FscommandCarriesCommandAndArgsAndMissingArgsAreEmpty) {
  LoadPage("movie.html", R"(<script>
    fscommand('LoginServer');
    fscommand('OpenWeb', 'http://example.com/?a=1&b=中文');
  </script>)");
  ASSERT_TRUE(RunUntil([&] { return events.commands.size() == 2; }));
  EXPECT_EQ(events.commands[0], "LoginServer|");
  EXPECT_EQ(events.commands[1], "OpenWeb|http://example.com/?a=1&b=中文");
  EXPECT_TRUE(events.calls.empty());
}

// The page describes what its callback received, kinds included, and reports it back.
constexpr const char* kEchoPage = R"(<script>
  function describe(v) {
    if (v === undefined) return 'undefined';
    if (Array.isArray(v)) return '[' + v.map(describe).join(',') + ']';
    if (v !== null && typeof v === 'object')
      return '{' + Object.keys(v).map((k) => k + ':' + describe(v[k])).join(',') + '}';
    return typeof v + ':' + String(v);
  }
  ExternalInterface.addCallback('Echo', function () {
    fscommand('echo', Array.from(arguments).map(describe).join(' '));
  });
  ExternalInterface.addCallback('CheckGameResult', function (result) {
    fscommand('check', result.GameName + '/' + (result.Result + 1) + '/' + result.GameParam);
  });
  fscommand('ready');
</script>)";

TEST_F(PlayerBridgeTest, CallbackReceivesTheDecodedArguments) {
  LoadPage("movie.html", kEchoPage);
  ASSERT_TRUE(WaitForCommand("ready|"));
  Send("<invoke name=\"CheckGameResult\" returntype=\"xml\"><arguments><object>"
       "<property id=\"GameName\"><string>abc</string></property>"
       "<property id=\"Result\"><number>0</number></property>"
       "<property id=\"GameParam\"><number>7</number></property>"
       "</object></arguments></invoke>");
  Send("<invoke name=\"Echo\" returntype=\"xml\"><arguments>"
       "<string>a&amp;&lt;&gt;&quot;&apos;中</string><string/><number>-3</number><true/>"
       "<false/><null/><undefined/><array><property id=\"0\"><string>x</string></property>"
       "<property id=\"1\"><array/></property></array>"
       "<object><property id=\"__proto__\"><number>1</number></property></object>"
       "</arguments></invoke>");
  ASSERT_TRUE(WaitForCommand("check|abc/1/7"));
  ASSERT_TRUE(RunUntil([&] { return events.commands.size() == 3; }));
  EXPECT_EQ(events.commands[2],
            "echo|string:a&<>\"'中 string: number:-3 boolean:true boolean:false object:null "
            "undefined [string:x,[]] {__proto__:number:1}");
}

// The host's own documents take a quick path; everything else XML allows is read by the full
// parser and must come out the same way, and what XML refuses calls nothing on either path.
TEST_F(PlayerBridgeTest, DocumentsOutsideTheHostsOwnFormReadAsXmlSays) {
  LoadPage("movie.html", kEchoPage);
  ASSERT_TRUE(WaitForCommand("ready|"));
  Send("<?xml version=\"1.0\"?><invoke name=\"Echo\"><arguments><string>decl</string></arguments></invoke>");
  Send("<invoke name='Echo'> <arguments> <!-- note --> <string>&#20013;&#x4E2D;</string>\n</arguments></invoke>");
  Send("<invoke name=\"Echo\"><arguments><string><![CDATA[<b>&amp;]]></string></arguments></invoke>");
  Send("<invoke name=\"Echo\"><arguments><string>&nbsp;</string></arguments></invoke>");
  Send("<invoke name=\"Echo\"><arguments><string>&#0;</string></arguments></invoke>");
  Send("<invoke name=\"Echo\" name=\"Echo\"><arguments><number>9</number></arguments></invoke>");
  Send("<invoke name=\"Echo\"><arguments><x:string>p</x:string></arguments></invoke>");
  Send("<invoke name=\"Echo\"><arguments><number>2</number></arguments></invoke>");
  ASSERT_TRUE(WaitForCommand("echo|number:2"));
  ASSERT_EQ(events.commands.size(), 5u);
  EXPECT_EQ(events.commands[1], "echo|string:decl");
  EXPECT_EQ(events.commands[2], "echo|string:中中");
  EXPECT_EQ(events.commands[3], "echo|string:<b>&amp;");
}

TEST_F(PlayerBridgeTest, UnregisteredNamesAndBrokenDocumentsAreIgnored) {
  LoadPage("movie.html", kEchoPage);
  ASSERT_TRUE(WaitForCommand("ready|"));
  Send("<invoke name=\"Nobody\"><arguments><number>1</number></arguments></invoke>");
  Send("not a document");
  Send("<invoke name=\"Echo\"><arguments><number>1</number><string>cut</arguments></invoke>");
  Send("<invoke name=\"Echo\"><arguments><number>2</number></arguments></invoke>");
  ASSERT_TRUE(WaitForCommand("echo|number:2"));
  EXPECT_EQ(events.commands.size(), 2u);
}

// A message's two texts together may hold 1 MiB (as UTF-8); a larger one is dropped whole and
// the page goes on speaking.
TEST_F(PlayerBridgeTest, AMessagePastItsSizeIsDroppedAndTheNextArrives) {
  LoadPage("movie.html", R"(<script>
    fscommand('big', 'x'.repeat(1048576));
    fscommand('fits', 'y'.repeat(1048576 - 4));
    fscommand('after');
  </script>)");
  ASSERT_TRUE(WaitForCommand("after|"));
  ASSERT_EQ(events.commands.size(), 2u);
  EXPECT_EQ(events.commands[0].substr(0, 5), "fits|");
  EXPECT_EQ(events.commands[0].size(), 5u + 1048576 - 4);
}

TEST_F(PlayerBridgeTest, RequestsMadeBeforeThePageIsReadyArriveInOrder) {
  WriteFile("movie/movie.html", R"(<script>
    const seen = [];
    ExternalInterface.addCallback('Step', (n) => {
      seen.push(n);
      if (seen.length === 3) fscommand('order', seen.join(','));
    });
  </script>)");
  Send("<invoke name=\"Step\"><arguments><number>1</number></arguments></invoke>");
  ASSERT_TRUE(view->LoadMovie(0, dir.Join("movie/movie.html")));
  Send("<invoke name=\"Step\"><arguments><number>2</number></arguments></invoke>");
  Send("<invoke name=\"Step\"><arguments><number>3</number></arguments></invoke>");
  EXPECT_TRUE(WaitForCommand("order|1,2,3"));
}

TEST_F(PlayerBridgeTest, WindowsPathsAndBadPathsForLoadMovie) {
  WriteFile("movie/sub/movie.html", "<script>fscommand('loaded', location.href)</script>");
  EXPECT_FALSE(view->LoadMovie(0, "relative/movie.html"));
  EXPECT_FALSE(view->LoadMovie(0, ""));
  std::string windows_path = dir.Join("movie\\sub\\movie.html");
  ASSERT_TRUE(view->LoadMovie(0, windows_path));
  EXPECT_TRUE(WaitForCommand("loaded|quorvane://movie/movie.html"));
}

TEST_F(PlayerBridgeTest, ForwardedEnterAndEscapeReachThePage) {
  LoadPage("movie.html", R"(<body><script>
    document.addEventListener('keydown', (e) => fscommand('key', e.key));
    fscommand('ready');
  </script></body>)");
  ASSERT_TRUE(WaitForCommand("ready|"));
  ForwardKey(*view, GDK_KEY_Return);
  ForwardKey(*view, GDK_KEY_Escape);
  EXPECT_TRUE(WaitForCommand("key|Enter"));
  EXPECT_TRUE(WaitForCommand("key|Escape"));
}

// The menu key is the one way to the web view's own menu that is not a right click.
TEST_F(PlayerBridgeTest, TheMenuKeyShowsNoMenu) {
  LoadPage("movie.html", R"(<body style="height:100vh"><script>
    document.addEventListener('keydown', (e) => fscommand('key', e.key));
    fscommand('ready');
  </script></body>)");
  ASSERT_TRUE(WaitForCommand("ready|"));
  ForwardKey(*view, GDK_KEY_Menu);
  ASSERT_TRUE(WaitForCommand("key|ContextMenu"));
  RunFor(300);
  EXPECT_FALSE(AnyPopupShown());
}

TEST_F(PlayerBridgeTest, ThePageCannotReplaceTheBridge) {
  LoadPage("movie.html", R"(<script>
    'use strict';
    const tries = [() => { ExternalInterface.call = () => {}; },
                   () => { window.ExternalInterface = {call() {}}; },
                   () => { window.fscommand = () => {}; },
                   () => { delete window.fscommand; },
                   () => { Object.defineProperty(window, 'fscommand', {value: () => {}}); }];
    let refused = 0;
    for (const attempt of tries) { try { attempt(); } catch (e) { ++refused; } }
    fscommand('refused', String(refused));
    ExternalInterface.call('Still');
  </script>)");
  ASSERT_TRUE(WaitForCommand("refused|5"));
  ASSERT_TRUE(RunUntil([&] { return events.calls.size() == 1; }));
  EXPECT_EQ(events.calls[0], "<invoke name=\"Still\" returntype=\"xml\"><arguments></arguments></invoke>");
}

// The new page process still reads the movie's files.
TEST_F(PlayerBridgeTest, AMovieWhosePageProcessDiesStartsAgainAndGetsWhatWasSentMeanwhile) {
  WriteFile("movie/games.json", "[1]");
  LoadPage("movie.html", R"(<script>
    ExternalInterface.addCallback('Hello', (n) => fscommand('hello', String(n)));
    fetch('games.json').then((r) => r.text()).catch(() => 'blocked')
        .then((t) => fscommand('loaded', t));
  </script>)");
  ASSERT_TRUE(WaitForCommand("loaded|[1]"));
  bool ended = false;
  g_signal_connect_swapped(view->Widget(), "web-process-terminated",
                           G_CALLBACK(+[](bool* flag) { *flag = true; }), &ended);
  webkit_web_view_terminate_web_process(WEBKIT_WEB_VIEW(view->Widget()));
  ASSERT_TRUE(RunUntil([&] { return ended; }));
  Send("<invoke name=\"Hello\"><arguments><number>5</number></arguments></invoke>");
  EXPECT_TRUE(WaitForCommand("hello|5"));
  ASSERT_TRUE(RunUntil([&] {
    return std::count(events.commands.begin(), events.commands.end(), "loaded|[1]") == 2;
  }));
}

// A page caught in an endless loop stops answering the engine; the host hears of it, so the
// player can leave the lobby. Key presses are what the engine waits on an answer for.
TEST_F(PlayerBridgeTest, APageInAnEndlessLoopIsReportedUnresponsive) {
  LoadPage("movie.html", R"(<body><script>
    fscommand('ready');
    setTimeout(() => { for (;;) {} }, 100);
  </script></body>)");
  ASSERT_TRUE(WaitForCommand("ready|"));
  RunFor(300);
  EXPECT_EQ(events.unresponsive, 0);
  EXPECT_TRUE(RunUntil([&] {
    ForwardKey(*view, GDK_KEY_Return);
    RunFor(200);
    return events.unresponsive > 0;
  }, 20000));
}

TEST(PlayerModuleTest, OtherAbiVersionGetsNoView) {
  lobby::CreatePlayerFunction create = LoadPlayerModule();
  ASSERT_NE(create, nullptr);
  Recorder events;
  EXPECT_EQ(create(&events, lobby::kPlayerAbiVersion + 1), nullptr);
  EXPECT_EQ(create(nullptr, lobby::kPlayerAbiVersion), nullptr);
}

}  // namespace
}  // namespace playertest
