// Helpers shared by the lobby tests: a window stand-in that records what the core asks of it,
// and the recorder program that stands in for games and the updater.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "lobby/core/IFrameWindow.h"
#include "lobby/core/IMoviePlayer.h"
#include "tests/support/Recorder.h"
#include "text/Text.h"

namespace lobbytest {

class RecordingHost : public lobby::IFrameWindow, public lobby::IMoviePlayer {
 public:
  void CallFunction(const text::WString& request) override {
    calls.push_back(text::ToUtf8(request));
    if (onCall) onCall(calls.back());
  }
  void ShowWindow(bool visible) override { shows.push_back(visible); }
  void StartTimer(int id, unsigned periodMs) override {
    started.push_back(id);
    period = periodMs;
  }
  void StopTimer(int id) override { stopped.push_back(id); }
  void EndDialog() override { ++ended; }
  void OpenWebAddress(const std::string& uri) override { opened.push_back(uri); }
  void PostToMainLoop(std::function<void()> work) override;

  // Runs the work posted so far, as the main loop would; returns how much ran.
  size_t RunPosted();
  // Work posted and not yet run.
  size_t Posted();
  // Runs posted work until `done` holds or about five seconds have passed.
  bool PumpUntil(const std::function<bool()>& done);

  std::vector<std::string> calls;  // UTF-8 copies of every message to the movie
  std::function<void(const std::string&)> onCall;  // the movie's reaction, inside CallFunction
  std::vector<bool> shows;
  std::vector<int> started;
  std::vector<int> stopped;
  unsigned period = 0;
  int ended = 0;
  std::vector<std::string> opened;

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> posted_;
};

using testsupport::InstallRecorder;
using testsupport::WaitForRecord;

// A complete Config.cfg with the given update server and brand word.
std::string ConfigText(const std::string& updateUrl, const std::string& corp);

}  // namespace lobbytest
