#include "lobby/app/QuorvaneApp.h"

#include <curl/curl.h>
#include <glib/gstdio.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "contract/Contract.h"
#include "contract/SelfUpdateMarker.h"
#include "contract/UpdaterState.h"
#include "lobby/config/ClientConfig.h"
#include "lobby/frame/LobbyFrame.h"
#include "lobby/update/HandOverPause.h"
#include "lobby/update/UpdateTask.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "skin/cairo/Toolkit.h"

namespace lobby {
namespace {

// String resource 103, the one message box of the lobby.
constexpr const char* kNetworkLayerFailed = "Windows 套接字初始化失败。";

void ShowMessageBox(const char* message) {
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                          GTK_BUTTONS_OK, "%s", message);
  gtk_window_set_title(GTK_WINDOW(box), "Quorvane");
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

// Every way out ends the process here, without running static destructors under threads that
// may still work (a version check waiting on the network, the web engine's own threads).
[[noreturn]] void EndProcess(int code) {
  std::fflush(nullptr);
  _exit(code);
}

bool IsUsableDirectory(const text::WString& dir) {
  return !dir.empty() && platform::IsDirectory(dir) &&
         g_access(text::ToUtf8(dir).c_str(), R_OK | X_OK) == 0;
}

// True when a newer lobby is on the server and the updater that installs it has started. A
// version whose self-update recently ended without installing is skipped, and the page told.
bool HandedOverToUpdater(const text::WString& mainPath, ClientConfig& config) {
  UpdateTask self(text::Ascii(contract::kLobbyName), mainPath);
  if (!self.ReadInstalledVersion() || self.CheckLatestVersion() != contract::GameState::kNewer) return false;
  const auto marker = contract::ReadSelfUpdateMarker(contract::UpdaterStateDir(), mainPath);
  if (HandOverPaused(marker, self.Version, static_cast<int64_t>(std::time(nullptr)))) {
    config.SkippedUpdateVersion = marker->version;
    config.SkippedUpdateResult = static_cast<int32_t>(marker->outcome);
    return false;
  }
  return self.LaunchUpdater(true);
}

}  // namespace

[[noreturn]] void RunQuorvane() {
  g_set_prgname("Quorvane");
  if (!skin::InitToolkit("Quorvane")) {
    std::fputs("Quorvane: no display to show the lobby on\n", stderr);
    EndProcess(1);
  }
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    ShowMessageBox(kNetworkLayerFailed);
    EndProcess(1);
  }
  const text::WString mainPath = platform::ExecutableDir();
  if (!IsUsableDirectory(mainPath)) {
    std::fputs("Quorvane: cannot read its own program directory\n", stderr);
    EndProcess(1);
  }
  platform::InstanceLock lock;
  if (!lock.Acquire(contract::LobbyLockName())) EndProcess(0);
  ClientConfig& config = ClientConfig::Instance();
  config.LoadConfig();
  config.LobbyVersion = InstalledVersion(text::Ascii(contract::kLobbyName), mainPath);
  if (HandedOverToUpdater(mainPath, config)) EndProcess(0);
  {
    CLobbyFrame frame(config, text::ToUtf8(mainPath));
    frame.DoModal();
  }
  EndProcess(0);
}

}  // namespace lobby
