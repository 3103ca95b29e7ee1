// The page authors' dev mode in a real view: with QUORVANE_DEV=1 the page's console messages
// and uncaught errors reach standard error with their place, and F5 reloads the page; without
// it none of this happens.
#include <gdk/gdkkeysyms.h>

#include <cstdlib>
#include <string>

#include "tests/player/PlayerHarness.h"
#include "tests/support/Environment.h"

namespace playertest {
namespace {

constexpr const char* kNoisyPage =
    "<script>\n"
    "console.log('你好', {a: 1});\n"
    "console.warn('\\x1b]0;title\\x07\\x1b[31mred\\u009b2J');\n"
    "fscommand('loaded');\n"
    "throw new Error('boom');\n"
    "</script>";

class DevModeTest : public PlayerTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    testsupport::SetEnvironment("QUORVANE_DEV", GetParam() ? "1" : nullptr);
    PlayerTest::SetUp();
  }
  // Presses F5 on the view as the keyboard would.
  void PressF5() {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->key.keyval = GDK_KEY_F5;
    gboolean handled = FALSE;
    g_signal_emit_by_name(view->Widget(), "key-press-event", event, &handled);
    gdk_event_free(event);
  }
  size_t Loads() const {
    size_t n = 0;
    for (const std::string& c : events.commands) n += c == "loaded|";
    return n;
  }
};

TEST_P(DevModeTest, ConsoleAndErrorsGoToStandardErrorOnlyInDevMode) {
  testing::internal::CaptureStderr();
  LoadPage("index.html", kNoisyPage);
  ASSERT_TRUE(WaitForCommand("loaded|"));
  RunFor(500);
  const std::string said = testing::internal::GetCapturedStderr();
  if (!GetParam()) {
    EXPECT_EQ(said.find("Quorvane page"), std::string::npos) << said;
    return;
  }
  EXPECT_NE(said.find("Quorvane page console.log: 你好 {\"a\":1} (quorvane://movie/index.html:2:"),
            std::string::npos) << said;
  // Escape sequences never reach the terminal.
  EXPECT_NE(said.find("Quorvane page console.warn: ?]0;title??[31mred?2J (quorvane://movie/index.html:3:"),
            std::string::npos) << said;
  EXPECT_EQ(said.find('\x1b'), std::string::npos);
  EXPECT_NE(said.find("Quorvane page error: Error: boom (quorvane://movie/index.html:5:"),
            std::string::npos) << said;
}

TEST_P(DevModeTest, F5ReloadsOnlyInDevMode) {
  LoadPage("index.html", "<script>fscommand('loaded')</script>");
  ASSERT_TRUE(WaitForCommand("loaded|"));
  PressF5();
  if (GetParam()) {
    EXPECT_TRUE(RunUntil([&] { return Loads() == 2; })) << Loads();
  } else {
    RunFor(800);
    EXPECT_EQ(Loads(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Mode, DevModeTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

}  // namespace
}  // namespace playertest
