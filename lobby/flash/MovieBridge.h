// The host side of the movie protocol: the two events from the movie, the login flag, the
// close request and the right click.
#pragma once

#include "text/Text.h"

namespace lobby {

class ClientConfig;
class IFrameWindow;
class IMoviePlayer;

// The four structured commands; each gets the inner markup of the request's "arguments".
class IGameCommands {
 public:
  virtual ~IGameCommands() = default;
  virtual void SaveServer(const text::WString& arguments) = 0;
  virtual void CheckGame(const text::WString& arguments) = 0;
  virtual void UpdateGame(const text::WString& arguments) = 0;
  virtual void PlayGame(const text::WString& arguments) = 0;
};

// Requests longer than this (in UTF-16 units) are dropped unread.
inline constexpr size_t kMaxRequestLength = 64 * 1024;

// The player's two events go to OnFSCommand/OnFlashCall, the window's close request to OnClose
// and the right click to OnRightClick. LobbyCore owns one, wired to the game commands.
class MovieBridge {
 public:
  MovieBridge(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config,
              IGameCommands& commands);

  // "OpenWeb", "LogoutServer", "LoginServer"; anything else is ignored.
  void OnFSCommand(const text::WString& command, const text::WString& args);
  // One invoke document: "SaveServer", "CheckGame", "UpdateGame", "PlayGame".
  void OnFlashCall(const text::WString& request);
  // The window's close request: asks the movie to log out first while logged in.
  void OnClose();
  void OnRightClick();
  void SendLoginServer();

  bool LoginActive() const { return loginActive_; }

 private:
  IFrameWindow& frame_;
  IMoviePlayer& player_;
  ClientConfig& config_;
  IGameCommands& commands_;
  bool loginActive_ = false;
};

}  // namespace lobby
