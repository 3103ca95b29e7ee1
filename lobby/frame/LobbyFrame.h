// The lobby's only window: a borderless frame with a painted title strip (logo, proposal and
// service buttons, minimise and close) over the movie. The movie is the user interface; the
// frame forwards the player's events and its own to the movie protocol and the game commands,
// and implements what they ask of a window. Layout and painting work without a display, so tests render them.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>

#include "lobby/core/IFrameWindow.h"
#include "lobby/flash/MovieBridge.h"
#include "lobby/frame/FlashPlayer.h"
#include "lobby/frame/FrameLayout.h"
#include "lobby/frame/MovieReveal.h"
#include "lobby/frame/NoticeRepair.h"
#include "lobby/frame/TabEcho.h"
#include "lobby/games/GameCommands.h"
#include "skin/ImageStrip.h"
#include "skin/cairo/MainLoopQueue.h"
#include "skin/cairo/SkinButton.h"
#include "skin/SkinStatic.h"

namespace lobby {

class ClientConfig;

class CLobbyFrame : public IFrameWindow, public IPlayerEvents {
 public:
  // Control ids of the title strip and the notice.
  enum Command { kMinimize = 1, kClose = 2, kProposal = 1001, kService = 1002, kDownload = 1003 };

  // `moduleDir` is where the player module is looked for (the program directory).
  CLobbyFrame(ClientConfig& config, std::string moduleDir);
  ~CLobbyFrame() override;
  CLobbyFrame(const CLobbyFrame&) = delete;
  CLobbyFrame& operator=(const CLobbyFrame&) = delete;

  // Shows the window and runs the main loop until the window ends. Needs gtk_init.
  void DoModal();

  // IFrameWindow
  void ShowWindow(bool visible) override;
  void StartTimer(int id, unsigned periodMs) override;
  void StopTimer(int id) override;
  void EndDialog() override;
  void OpenWebAddress(const std::string& uri) override;
  void PostToMainLoop(std::function<void()> work) override;

  // IPlayerEvents
  void OnFSCommand(const text::WString& command, const text::WString& args) override;
  void OnFlashCall(const text::WString& request) override;
  void OnRightClick() override;
  void OnExternalLink(const std::string& uri) override;
  void OnPageUnresponsive() override;

  // The title-strip buttons and the notice's download button.
  void OnCommand(int id);
  void OnTimer(int id);
  void OnKey(const GdkEventKey* event, bool& handled);
  void OnBackgroundPress(const GdkEventButton* event);

  // Paints the composed background and the controls at (0, 0) of the context (not the movie):
  // the whole window as it looks before a movie plays.
  void Render(cairo_t* cr) const;
  // The composed background alone, what the window paints behind its controls.
  void PaintBackground(cairo_t* cr) const;
  // Draws the title strip, the logo and the notice for a screen of `scale` device pixels per
  // pixel (the window's scale factor) from now on; positions and sizes stay in pixels.
  void SetScale(int scale);
  int Scale() const { return scale_; }
  const FrameLayout& Layout() const { return layout_; }
  bool MoviePlaying() const { return moviePlaying_; }
  bool NoticeShown() const { return noticeShown_; }

 private:
  void LayoutFrame();
  void ComposeBackground();
  void PlaceButton(skin::CSkinButton& button, unsigned png, Point at);
  void ComposeNotice();
  bool IsFlashAvailable();
  void LoadLobbyMovie();
  void OnFlashPoll();
  void StartRepair();
  void OnRepairTick();
  void ShowCannotRepair();
  GtkWidget* MakeWindow();
  void CreateControls();
  void ShowControl(GtkWidget* widget, bool visible);
  void OnMovieShown();
  bool ButtonHasFocus(GtkWidget* focus) const;

  ClientConfig& config_;
  FrameLayout layout_;
  skin::ImageStrip background_;  // composed at scale_ device pixels per pixel
  int scale_ = 1;
  skin::CSkinButton minimize_, close_, proposal_, service_, download_;
  skin::CSkinStatic notice_;
  CFlashPlayer player_;
  MovieReveal reveal_;  // after the player: it lets go of the view first
  TabEcho tabs_;
  NoticeRepair repair_;
  bool moviePlaying_ = false;
  bool noticeShown_ = false;
  GtkWidget* window_ = nullptr;
  GtkFixed* fixed_ = nullptr;
  GtkWidget* backdrop_ = nullptr;
  GMainLoop* loop_ = nullptr;
  bool ended_ = false;
  std::map<int, guint> timers_;
  skin::MainLoopQueue posted_;  // before what posts to it
  // After everything they reach through the frame; the bridge hands the movie's structured
  // commands to the game commands.
  GameCommands games_;
  MovieBridge bridge_;
};

}  // namespace lobby
