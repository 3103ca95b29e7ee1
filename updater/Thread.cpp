#include "updater/Thread.h"

#include <cerrno>
#include <system_error>

namespace Basalt {

IThread::~IThread() { Join(); }

bool IThread::Start() {
  if (thread_.joinable()) return true;
  if (!OnInit()) return false;
  try {
    thread_ = std::thread([this] { ThreadProc(); });
  } catch (const std::system_error&) {
    OnUninit();
    return false;
  }
  return true;
}

void IThread::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void IThread::ThreadProc() {
  try {
    Run();
  } catch (...) {
    OnException(static_cast<uint32_t>(errno));
  }
}

}  // namespace Basalt
