// The lobby's settings: "Config.cfg" beside the executable, the remembered account data of the
// per-user profile, and the machine tag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/config/UserTag.h"
#include "text/Text.h"

namespace xml {
class XmlDocument;
}

namespace lobby {

struct ServerEntry {
  int32_t Port = 0;
  text::WString AutoDns;
  text::WString TelDns;
  text::WString UniDns;
};

class ClientConfig {
 public:
  // The program's store: MainPath is the executable's directory, the profile lives under
  // $XDG_CONFIG_HOME/<corp>/<executable name>.ini. Created on first use, never freed.
  static ClientConfig& Instance();

  // A store over any directory and profile file (tests, tools).
  ClientConfig(text::WString mainPath, std::string profilePath);

  // Reads MainPath/Config.cfg; on full success also loads the login data. False when the file
  // is missing, malformed or incomplete; what was read before the failure stays.
  bool LoadConfig();
  // Reads the remembered values and checks or renews the machine tag.
  void LoadLoginData();
  // Writes the remembered values. Refuses (false) when they were never loaded, so that a run
  // with a broken Config.cfg cannot wipe the account data of earlier runs.
  bool SaveLoginData();
  // Fills the tag from the first usable Ethernet address, else randomly; returns 6.
  static int MakeUserTag(UserTagBytes& tag);

  text::WString GetMainPath() const { return mainPath_; }
  text::WString GetUpdateUrl() const { return updateUrl_; }
  text::WString GetCorp() const { return corp_; }
  text::WString GetTitle() const { return title_; }
  text::WString GetLogoPath() const { return logoPath_; }
  text::WString GetMoviePath() const { return moviePath_; }
  // The movie as "Windows" names it, before it is joined to MainPath.
  text::WString GetMovieEntry() const { return movieEntry_; }
  text::WString GetServiceUrl() const { return serviceUrl_; }
  text::WString GetProposalUrl() const { return proposalUrl_; }
  // The schemes besides http, https and mailto that the title strip's two links may use, as
  // the "LinkSchemes" attribute of "WebUrl" names them (none by default).
  text::WString GetLinkSchemes() const { return linkSchemes_; }
  const std::string& ProfilePath() const { return profilePath_; }

  int32_t Width = 0;
  int32_t Height = 0;
  int32_t SaveAccount = 0;
  text::WString UserName;
  int32_t ProxyId = 0;
  int32_t LoginMode = 1;
  int32_t NetMode = 0;
  int32_t LoginNode = 0;
  uint32_t UserMac = 0;
  UserTagBytes UserTag{};
  std::vector<ServerEntry> Servers;
  // The lobby version whose self-update did not install and was skipped at this start (empty
  // when none), with the updater's outcome: the page learns it from "LoginServer".
  text::WString SkippedUpdateVersion;
  int32_t SkippedUpdateResult = 0;
  // The lobby's own version from its Update.cfg (empty when there is none): "LoginServer" tells
  // the page.
  text::WString LobbyVersion;

 private:
  void ReadServers(xml::XmlDocument& doc);
  bool ReadWindow(xml::XmlDocument& doc);
  bool ReadDomainAndUrls(xml::XmlDocument& doc);

  text::WString mainPath_;
  std::string profilePath_;
  text::WString updateUrl_;
  text::WString corp_;
  text::WString title_;
  text::WString logoPath_;
  text::WString moviePath_;
  text::WString movieEntry_;
  text::WString serviceUrl_;
  text::WString proposalUrl_;
  text::WString linkSchemes_;
  bool loginDataLoaded_ = false;
};

// The largest Config.cfg (and Update.cfg) the lobby reads; a larger one counts as unreadable.
// Like every file it reads on its main loop, it is opened without blocking and must be a
// regular file.
inline constexpr int64_t kMaxConfigBytes = 1 << 20;

// Default base URL of the update server.
inline constexpr const char* kDefaultUpdateUrl = "http://update.zemba.com";

}  // namespace lobby
