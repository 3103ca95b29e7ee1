// Everything the lobby does apart from its window, in one owner the frame drives: the movie
// protocol, the game commands and their timers. Frames (GTK here, others later) only forward
// their events to it and implement IFrameWindow; the player implements IMoviePlayer.
#pragma once

#include <string>

#include "lobby/core/IFrameWindow.h"
#include "lobby/core/IMoviePlayer.h"
#include "lobby/flash/MovieBridge.h"
#include "lobby/games/GameCommands.h"

namespace lobby {

class ClientConfig;

class LobbyCore {
 public:
  LobbyCore(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config);
  LobbyCore(const LobbyCore&) = delete;
  LobbyCore& operator=(const LobbyCore&) = delete;

  // The player's events.
  void OnFSCommand(const text::WString& command, const text::WString& args);
  void OnFlashCall(const text::WString& request);
  void OnRightClick();
  // The close button and the window manager's close request.
  void OnClose();
  // A web address the movie went to: opened outside, as "OpenWeb" is, within its limits.
  void OnExternalLink(text::WStringView address);
  // The engine reports the page unresponsive or its process gone.
  void OnPageUnresponsive();
  // Ticks of the update and game wait timers; the player poll timer is the frame's own.
  void OnTimer(int id);
  // A page the user asked to open outside (title-strip buttons). Only web addresses are
  // opened; false when `address` is not one.
  bool OpenWeb(text::WStringView address);

  bool LoginActive() const { return bridge_.LoginActive(); }
  GameCommands& Games() { return games_; }
  MovieBridge& Bridge() { return bridge_; }

 private:
  IFrameWindow& frame_;
  GameCommands games_;
  MovieBridge bridge_;
};

}  // namespace lobby
