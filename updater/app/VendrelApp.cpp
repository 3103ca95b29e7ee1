#include "updater/app/VendrelApp.h"

#include <cstdio>
#include <cstdlib>

#include <ctime>

#include "contract/Contract.h"
#include "contract/SelfUpdateMarker.h"
#include "contract/UpdaterState.h"
#include "platform/DebugLog.h"
#include "platform/InstanceLock.h"
#include "platform/LaunchDetached.h"
#include "platform/Paths.h"
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

constexpr int kNotRun = static_cast<int>(contract::UpdaterExit::kNotRun);

// A self-update that did not install must not keep the player out: the program it was to
// restart starts anyway, and the marker tells it not to hand over for this version for a while.
void AfterSelfUpdate(const updater::UpdaterOptions& options, int code) {
  const text::WString stateDir = contract::UpdaterStateDir();
  if (code == static_cast<int>(contract::UpdaterExit::kInstalled)) {
    contract::RemoveSelfUpdateMarker(stateDir, options.programDir);
    return;
  }
  contract::SelfUpdateMarker marker{options.programDir, options.version, static_cast<int64_t>(std::time(nullptr)),
                                    static_cast<contract::UpdaterExit>(code)};
  if (!contract::WriteSelfUpdateMarker(stateDir, marker)) platform::DebugLine(u"Vendrel: cannot write the self-update marker");
  const std::string target =
      text::ToUtf8(options.programDir + u"/" + options.programName + text::FromUtf8(platform::kExeSuffix));
  platform::DebugLine(u"Vendrel ShellExecute!");
  platform::DebugLine(text::FromUtf8(target));
  platform::LaunchDetached(target, {target});
}

}  // namespace

int RunVendrel(text::WStringView rawLine, int argc, char** argv) {
  platform::DebugLine(rawLine);
  platform::InstanceLock lock;
  if (!lock.Acquire(contract::UpdaterLockName())) return kNotRun;
  updater::UpdaterOptions options;
  if (!updater::ParseUpdaterArguments(argc, argv, options)) return kNotRun;
  g_worker = updater::CreateWorker(options).release();
  if (!OpenDisplay()) {
    platform::DebugLine(u"Vendrel: no display to show the progress window on");
    return kNotRun;
  }
  CVendrelDlg dlg;
  dlg.OnStart([&dlg, &options] { return updater::StartWorker(*g_worker, &dlg, options.restart); });
  dlg.DoModal();
  const int code = dlg.ExitCode();
  if (options.restart) AfterSelfUpdate(options, code);
  EndProcess(code);
}

}  // namespace vendrel
