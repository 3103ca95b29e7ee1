#include "LobbyTestSupport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Paths.h"

namespace lobbytest {

void RecordingHost::PostToMainLoop(std::function<void()> work) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(work));
}

size_t RecordingHost::Posted() {
  std::lock_guard lock(mutex_);
  return posted_.size();
}

size_t RecordingHost::RunPosted() {
  size_t ran = 0;
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return ran;
      work = std::move(posted_.front());
      posted_.pop_front();
    }
    work();
    ++ran;
  }
}

bool RecordingHost::PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    if (RunPosted() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

bool InstallRecorder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  return std::filesystem::copy_file(LOBBY_RECORDER, path + platform::kExeSuffix,
                                    std::filesystem::copy_options::overwrite_existing, ec);
}

std::vector<std::string> WaitForRecord(const std::string& path) {
  // A record always holds at least the working directory and argv[0]; until it can be read
  // whole, keep waiting: a program started on a busy machine (or under Wine) may take seconds.
  std::vector<std::string> lines;
  for (int i = 0; i < 2000 && lines.size() < 2; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines.clear();
    std::ifstream in(path + ".record");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  return lines;
}

std::string ConfigText(const std::string& updateUrl, const std::string& corp) {
  return "<Config><LoginServer/><Windows width=\"800\" height=\"600\">m.html</Windows>"
         "<Domain id=\"1\" corp=\"" + corp + "\"/><UpdateUrl>" + updateUrl + "</UpdateUrl>"
         "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>";
}

}  // namespace lobbytest
