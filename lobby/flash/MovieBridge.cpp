#include "lobby/flash/MovieBridge.h"

#include "lobby/config/ClientConfig.h"
#include "lobby/core/IFrameWindow.h"
#include "lobby/core/IMoviePlayer.h"
#include "lobby/flash/DevWarning.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/flash/WebAddress.h"
#include "platform/DebugLog.h"
#include "xml/XmlDocument.h"

namespace lobby {

MovieBridge::MovieBridge(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config,
                         IGameCommands& commands)
    : frame_(frame),
      player_(player),
      config_(config),
      commands_(commands),
      clock_([] { return std::chrono::steady_clock::now(); }) {}

// Any message shows the page is alive: it answers, so closing asks it again.
void MovieBridge::OnPageSpoke() {
  logoutAsked_.reset();
  pageStuck_ = false;
}

// The movie is not trusted to start programs or open local files through the shell, nor to
// start browsers without end. Refused addresses do not count against its limit.
bool MovieBridge::OpenChecked(text::WStringView address, bool movieAsked) {
  auto uri = CheckedWebAddress(address);
  if (!uri) {
    DevWarning(u"an address that is not an http or https page was not opened: " + text::WString(address));
    return false;
  }
  if (movieAsked && !opens_.Allow(clock_())) {
    platform::DebugLine(u"Quorvane: a web page the movie asked for was not opened: more than 3 in 2 seconds");
    return false;
  }
  frame_.OpenWebAddress(*uri);
  return true;
}

void MovieBridge::OpenWeb(text::WStringView address) { OpenChecked(address, true); }

bool MovieBridge::OpenUserPage(text::WStringView address) { return OpenChecked(address, false); }

bool MovieBridge::OpenOperatorLink(text::WStringView address) {
  auto uri = CheckedOperatorLink(address, ReadLinkSchemes(config_.GetLinkSchemes()));
  if (!uri) {
    platform::DebugLine(u"Quorvane: a link of Config.cfg was not opened: not http, https, mailto or a "
                        u"scheme its LinkSchemes names: " + text::WString(address));
    return false;
  }
  frame_.OpenWebAddress(*uri);
  return true;
}

void MovieBridge::OnFSCommand(const text::WString& command, const text::WString& args) {
  OnPageSpoke();
  if (command == u"OpenWeb") {
    OpenWeb(args);
  } else if (command == u"LogoutServer") {
    loginActive_ = false;
    frame_.EndDialog();
  } else if (command == u"LoginServer") {
    SendLoginServer();
  } else {
    DevWarning(u"fscommand \"" + command + u"\" is no command; known: OpenWeb, LogoutServer, "
               u"LoginServer (SaveServer, CheckGame, UpdateGame, PlayGame go through ExternalInterface.call)");
  }
}

void MovieBridge::OnFlashCall(const text::WString& request) {
  OnPageSpoke();
  if (request.size() > kMaxRequestLength) {
    DevWarning(u"a request longer than 64 Ki UTF-16 units was dropped");
    return;
  }
  xml::XmlDocument doc(request);
  if (!doc.FindElement(u"invoke")) {
    DevWarning(u"a request without an invoke element was dropped: " + request.substr(0, 200));
    return;
  }
  text::WString name = doc.GetAttribute(u"name");
  text::WString arguments;
  if (doc.EnterElement() && doc.FindElement(u"arguments")) arguments = doc.GetElementContent();
  if (name == u"SaveServer") {
    commands_.SaveServer(arguments);
  } else if (name == u"CheckGame") {
    commands_.CheckGame(arguments);
  } else if (name == u"UpdateGame") {
    commands_.UpdateGame(arguments);
  } else if (name == u"PlayGame") {
    commands_.PlayGame(arguments);
  } else {
    DevWarning(u"ExternalInterface.call(\"" + name + u"\") is no command; known: SaveServer, CheckGame, "
               u"UpdateGame, PlayGame (LoginServer, OpenWeb, LogoutServer go through fscommand)");
  }
}

void MovieBridge::OnClose() {
  if (!loginActive_) {
    frame_.EndDialog();
    return;
  }
  const auto now = clock_();
  if (logoutAsked_ && (pageStuck_ || now - *logoutAsked_ >= kLogoutAnswerTime)) {
    platform::DebugLine(u"Quorvane: the movie did not answer LogoutServer; the lobby ends");
    frame_.EndDialog();
    return;
  }
  if (!logoutAsked_) logoutAsked_ = now;
  player_.CallFunction(LogoutServerMessage());
}

void MovieBridge::OnRightClick() { player_.CallFunction(RightClickMessage()); }

void MovieBridge::SendLoginServer() {
  loginActive_ = true;
  player_.CallFunction(LoginServerMessage(config_));
}

}  // namespace lobby
