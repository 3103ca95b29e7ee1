// The host side of the movie protocol: the two events from the movie, the login flag, the
// close request and the right click.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "lobby/flash/RateLimit.h"
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
// Pages the movie may open in the user's browser: at most this many in any such window.
inline constexpr size_t kMaxOpensPerWindow = 3;
inline constexpr std::chrono::milliseconds kOpenWindow{2000};
// How long the movie has to answer "LogoutServer" before a later close request ends the lobby.
inline constexpr std::chrono::milliseconds kLogoutAnswerTime{5000};

// The player's two events go to OnFSCommand/OnFlashCall, the window's close request to OnClose
// and the right click to OnRightClick. The frame owns one, wired to the game commands.
class MovieBridge {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  MovieBridge(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config,
              IGameCommands& commands);

  // "OpenWeb", "LogoutServer", "LoginServer"; anything else is ignored.
  void OnFSCommand(const text::WString& command, const text::WString& args);
  // One invoke document: "SaveServer", "CheckGame", "UpdateGame", "PlayGame".
  void OnFlashCall(const text::WString& request);
  // The window's close request: asks the movie to log out first while logged in. A later
  // request ends the lobby when the movie has not answered within kLogoutAnswerTime, or the
  // engine has since reported the page unresponsive or gone: the user can always leave.
  void OnClose();
  void OnRightClick();
  void SendLoginServer();
  // A web page the movie asked to open ("OpenWeb", a link it followed): only checked web
  // addresses, and no more than kMaxOpensPerWindow in any kOpenWindow.
  void OpenWeb(text::WStringView address);
  // A page the user asked for outside the movie (the title-strip buttons): opened when it is a
  // checked web address, without the movie's limit; false when it is not one.
  bool OpenUserPage(text::WStringView address);
  // A link of the operator's configuration (建议, 客服): also "mailto:" and the schemes
  // Config.cfg names (CheckedOperatorLink); false when it is none of them.
  bool OpenOperatorLink(text::WStringView address);
  // The engine reports the page unresponsive or its process gone.
  void OnPageUnresponsive() { pageStuck_ = true; }

  bool LoginActive() const { return loginActive_; }
  // The time source (tests drive their own).
  void SetClock(Clock clock) { clock_ = std::move(clock); }

 private:
  IFrameWindow& frame_;
  IMoviePlayer& player_;
  ClientConfig& config_;
  IGameCommands& commands_;
  void OnPageSpoke();
  bool OpenChecked(text::WStringView address, bool movieAsked);

  bool loginActive_ = false;
  Clock clock_;
  RateLimit opens_{kMaxOpensPerWindow, kOpenWindow};
  std::optional<std::chrono::steady_clock::time_point> logoutAsked_;  // unanswered since then
  bool pageStuck_ = false;
};

}  // namespace lobby
