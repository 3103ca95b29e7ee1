#include "LobbyTestSupport.h"

#include <chrono>
#include <thread>

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

std::string ConfigText(const std::string& updateUrl, const std::string& corp) {
  return "<Config><LoginServer/><Windows width=\"800\" height=\"600\">m.html</Windows>"
         "<Domain id=\"1\" corp=\"" + corp + "\"/><UpdateUrl>" + updateUrl + "</UpdateUrl>"
         "<WebUrl><Proposal>p</Proposal><Service>s</Service></WebUrl></Config>";
}

}  // namespace lobbytest
