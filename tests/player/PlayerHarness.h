// Test-only loader and harness for the player module: loads the built module by path as the
// frame will, puts one view in a window, and records what the view reports. Pages come from a
// temporary folder. Needs a display; SetUp skips without one.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lobby/player/PlayerModule.h"
#include "tests/support/TempDir.h"

namespace playertest {

// The module's entry point, or null when the module cannot be loaded.
lobby::CreatePlayerFunction LoadPlayerModule();

struct Recorder : lobby::IPlayerEvents {
  void OnFSCommand(const text::WString& command, const text::WString& args) override;
  void OnFlashCall(const text::WString& request) override;
  void OnRightClick() override { ++rightClicks; }
  void OnExternalLink(const std::string& uri) override { links.push_back(uri); }
  void OnPageUnresponsive() override { ++unresponsive; }

  std::vector<std::string> commands;  // "command|args", UTF-8
  std::vector<std::string> calls;     // invoke documents, UTF-8
  std::vector<std::string> links;
  int rightClicks = 0;
  int unresponsive = 0;
};

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Whether the view's window is shown on the display (for real pointer input).
  virtual bool OnScreen() const { return false; }

  // Writes a file (UTF-8) below the temporary folder, making folders as needed.
  void WriteFile(const std::string& relative, const std::string& content);
  // Writes `movie/<name>` (declared UTF-8) and loads it as the movie.
  void LoadPage(const std::string& name, const std::string& html);
  // Runs the main loop until `done` holds or the time is up; returns `done()`.
  bool RunUntil(const std::function<bool()>& done, int timeoutMs = 8000);
  void RunFor(int ms);
  // Waits for the fscommand "command|args" and answers whether it came.
  bool WaitForCommand(const std::string& entry, int timeoutMs = 8000);
  void Send(const std::string& request);

  testsupport::TempDir dir;
  Recorder events;
  GtkWidget* window = nullptr;
  std::unique_ptr<lobby::IMoviePlayerView> view;
};

}  // namespace playertest
