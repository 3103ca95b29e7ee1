#include "lobby/flash/MovieBridge.h"

#include "lobby/flash/IFrameWindow.h"
#include "lobby/flash/IMoviePlayer.h"
#include "lobby/flash/MovieMessages.h"
#include "lobby/flash/WebAddress.h"
#include "xml/XmlDocument.h"

namespace lobby {

MovieBridge::MovieBridge(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config,
                         IGameCommands& commands)
    : frame_(frame), player_(player), config_(config), commands_(commands) {}

void MovieBridge::OnFSCommand(const text::WString& command, const text::WString& args) {
  if (command == u"OpenWeb") {
    // The movie is not trusted to start programs or open local files through the shell.
    if (auto uri = CheckedWebAddress(args)) frame_.OpenWebAddress(*uri);
  } else if (command == u"LogoutServer") {
    loginActive_ = false;
    frame_.EndDialog();
  } else if (command == u"LoginServer") {
    SendLoginServer();
  }
}

void MovieBridge::OnFlashCall(const text::WString& request) {
  if (request.size() > kMaxRequestLength) return;
  xml::XmlDocument doc(request);
  if (!doc.FindElement(u"invoke")) return;
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
  }
}

void MovieBridge::OnClose() {
  if (loginActive_) {
    player_.CallFunction(LogoutServerMessage());
  } else {
    frame_.EndDialog();
  }
}

void MovieBridge::OnRightClick() { player_.CallFunction(RightClickMessage()); }

void MovieBridge::SendLoginServer() {
  loginActive_ = true;
  player_.CallFunction(LoginServerMessage(config_));
}

}  // namespace lobby
