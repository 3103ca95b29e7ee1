// A thread base with start-up and clean-up hooks around one piece of work. The work runs once
// on its own thread; nothing it throws leaves that thread.
#pragma once

#include <cstdint>
#include <thread>

namespace Basalt {

class IThread {
 public:
  IThread() = default;
  virtual ~IThread();
  IThread(const IThread&) = delete;
  IThread& operator=(const IThread&) = delete;

  // Starts the thread once. True when it runs (or ran already); false when OnInit refused or
  // the thread could not be created (OnUninit has then run).
  bool Start();
  bool Started() const { return thread_.joinable(); }
  // Waits for the thread to end. Owners call it before their members go away.
  void Join();

 protected:
  virtual bool OnInit() { return true; }  // on the starting thread, before creation
  virtual void OnUninit() {}              // on the starting thread, when creation failed
  virtual void Run() = 0;
  // An error escaped Run; `error` is the errno of that moment.
  virtual void OnException(uint32_t error) { (void)error; }

 private:
  void ThreadProc();

  std::thread thread_;
};

}  // namespace Basalt
