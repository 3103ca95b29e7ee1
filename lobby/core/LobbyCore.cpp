#include "lobby/core/LobbyCore.h"

#include "lobby/flash/WebAddress.h"

namespace lobby {

LobbyCore::LobbyCore(IFrameWindow& frame, IMoviePlayer& player, ClientConfig& config)
    : frame_(frame), games_(frame, player, config), bridge_(frame, player, config, games_) {}

void LobbyCore::OnFSCommand(const text::WString& command, const text::WString& args) {
  bridge_.OnFSCommand(command, args);
}

void LobbyCore::OnFlashCall(const text::WString& request) { bridge_.OnFlashCall(request); }

void LobbyCore::OnRightClick() { bridge_.OnRightClick(); }

void LobbyCore::OnClose() { bridge_.OnClose(); }

void LobbyCore::OnExternalLink(text::WStringView address) { bridge_.OpenWeb(address); }

void LobbyCore::OnPageUnresponsive() { bridge_.OnPageUnresponsive(); }

void LobbyCore::OnTimer(int id) { games_.OnTimer(id); }

bool LobbyCore::OpenWeb(text::WStringView address) {
  auto uri = CheckedWebAddress(address);
  if (uri) frame_.OpenWebAddress(*uri);
  return uri.has_value();
}

}  // namespace lobby
