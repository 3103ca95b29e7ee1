// A real right click (xdotool through the display) over the movie: one right click for the
// host per press, no menu, and the page never sees the button.
#include <cstdlib>
#include <string>

#include "tests/player/PlayerHarness.h"

namespace playertest {
namespace {

class PlayerRightClickTest : public PlayerTest {
 protected:
  bool OnScreen() const override { return true; }
};

bool Xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

TEST_F(PlayerRightClickTest, EachRightPressIsOneRightClickAndThePageSeesNone) {
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xdotool";
  LoadPage("movie.html", R"(<body style="margin:0;height:100vh"><script>
    for (const type of ['mousedown', 'mouseup', 'contextmenu'])
      addEventListener(type, (e) => fscommand('page', type + e.button));
    fscommand('ready');
  </script></body>)");
  ASSERT_TRUE(WaitForCommand("ready|"));
  gtk_window_move(GTK_WINDOW(window), 0, 0);
  RunFor(300);
  gint x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(view->Widget()), &x, &y);
  ASSERT_TRUE(Xdotool("mousemove --sync " + std::to_string(x + 100) + " " +
                      std::to_string(y + 100)));
  ASSERT_TRUE(Xdotool("click 3"));
  ASSERT_TRUE(RunUntil([&] { return events.rightClicks >= 1; }));
  // A quick second and third press are a double and triple click to the toolkit: each is
  // still one press, and the repeats it adds on top count for nothing.
  ASSERT_TRUE(Xdotool("click --repeat 2 --delay 30 3"));
  RunUntil([&] { return events.rightClicks >= 3; });
  // The left button does reach the page: it shows the page would have reported a right one.
  ASSERT_TRUE(Xdotool("click 1"));
  ASSERT_TRUE(WaitForCommand("page|mouseup0"));
  RunFor(200);
  EXPECT_EQ(events.rightClicks, 3);
  EXPECT_EQ(events.commands,
            (std::vector<std::string>{"ready|", "page|mousedown0", "page|mouseup0"}));
}

}  // namespace
}  // namespace playertest
