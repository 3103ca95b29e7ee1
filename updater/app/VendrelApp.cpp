#include "updater/app/VendrelApp.h"

#include <cstdio>
#include <cstdlib>

#include "platform/DebugLog.h"
#include "platform/InstanceLock.h"
#include "platform/UpdaterNames.h"
#include "updater/CommandLine.h"
#include "updater/LiveThread.h"
#include "updater/app/VendrelDlg.h"

namespace vendrel {
namespace {

// Never deleted and never joined: nobody waits for the worker, the process ends with it.
updater::CLiveThread* g_worker = nullptr;

// Ends the process with the worker still running: no exit handlers or static destructors run
// under its feet, and the dialog it may still post to stays alive until the very end.
[[noreturn]] void EndProcess(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

}  // namespace

int RunVendrel(text::WStringView rawLine, int argc, char** argv) {
  platform::DebugLine(rawLine);
  platform::InstanceLock lock;
  if (!lock.Acquire(platform::UpdaterLockName())) return 0;
  updater::UpdaterOptions options;
  if (!updater::ParseUpdaterArguments(argc, argv, options)) return 0;
  g_worker = updater::CreateWorker(options).release();
  if (!OpenDisplay()) {
    platform::DebugLine(u"Vendrel: no display to show the progress window on");
    return 1;
  }
  CVendrelDlg dlg;
  dlg.OnStart([&dlg, &options] { return updater::StartWorker(*g_worker, &dlg, options.restart); });
  dlg.DoModal();
  EndProcess(dlg.ExitCode());
}

}  // namespace vendrel
