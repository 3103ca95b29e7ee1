#include "lobby/config/ClientConfig.h"

#include <cstdlib>
#include <ctime>

#include "contract/Contract.h"
#include "platform/MacAddress.h"
#include "platform/Paths.h"
#include "platform/ProcessName.h"
#include "platform/ProfileStore.h"
#include "xml/XmlDocument.h"

namespace lobby {

namespace {

using text::Ascii;
using text::WString;

constexpr const char* kGroup = "LoginData";

std::string DefaultProfilePath() {
  return platform::ProfileStore::PathFor(contract::kCorp, platform::ExecutableName());
}

}  // namespace

ClientConfig& ClientConfig::Instance() {
  static ClientConfig* instance = new ClientConfig(platform::ExecutableDir(), DefaultProfilePath());
  return *instance;
}

ClientConfig::ClientConfig(WString mainPath, std::string profilePath)
    : mainPath_(std::move(mainPath)),
      profilePath_(std::move(profilePath)),
      updateUrl_(Ascii(kDefaultUpdateUrl)),
      corp_(Ascii(contract::kCorp)) {
  Servers.reserve(8);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::rand();
}

bool ClientConfig::LoadConfig() {
  xml::XmlDocument doc;
  if (!doc.LoadFile(mainPath_ + u"/Config.cfg", kMaxConfigBytes)) return false;
  if (!doc.FindChildElement(u"LoginServer")) return false;
  ReadServers(doc);
  if (!ReadWindow(doc) || !ReadDomainAndUrls(doc)) return false;
  LoadLoginData();
  return true;
}

void ClientConfig::ReadServers(xml::XmlDocument& doc) {
  doc.EnterElement();
  while (doc.FindChildElement(u"Server")) {
    ServerEntry entry;
    entry.AutoDns = doc.GetChildAttribute(u"url0");
    entry.TelDns = doc.GetChildAttribute(u"url1");
    entry.UniDns = doc.GetChildAttribute(u"url2");
    entry.Port = text::ParseInt(doc.GetChildAttribute(u"port"));
    Servers.push_back(std::move(entry));
  }
  doc.LeaveElement();
}

bool ClientConfig::ReadWindow(xml::XmlDocument& doc) {
  if (!doc.FindChildElement(u"Windows")) return false;
  WString width = doc.GetChildAttribute(u"width");
  if (!width.empty()) Width = text::ParseInt(width);
  WString height = doc.GetChildAttribute(u"height");
  if (!height.empty()) Height = text::ParseInt(height);
  WString title = doc.GetChildAttribute(u"title");
  if (!title.empty()) title_ = title;
  WString png = doc.GetChildAttribute(u"png");
  if (!png.empty()) logoPath_ = png;
  WString movie = doc.GetChildData();
  if (movie.empty()) return false;
  movieEntry_ = movie;
  moviePath_ = mainPath_ + u"/" + movie;
  return true;
}

bool ClientConfig::ReadDomainAndUrls(xml::XmlDocument& doc) {
  if (!doc.FindChildElement(u"Domain")) return false;
  ProxyId = text::ParseInt(doc.GetChildAttribute(u"id"));
  corp_ = doc.GetChildAttribute(u"corp");
  if (!doc.FindChildElement(u"UpdateUrl")) return false;
  updateUrl_ = doc.GetChildData();
  if (!doc.FindChildElement(u"WebUrl")) return false;
  linkSchemes_ = doc.GetChildAttribute(u"LinkSchemes");
  doc.EnterElement();
  if (!doc.FindChildElement(u"Proposal")) return false;
  proposalUrl_ = doc.GetChildData();
  if (!doc.FindChildElement(u"Service")) return false;
  serviceUrl_ = doc.GetChildData();
  return true;
}

void ClientConfig::LoadLoginData() {
  platform::ProfileStore store(profilePath_, kGroup);
  store.Load();
  NetMode = static_cast<int32_t>(store.GetDword("LoginMode").value_or(0));
  LoginNode = static_cast<int32_t>(store.GetDword("LoginNode").value_or(0));
  SaveAccount = static_cast<int32_t>(store.GetDword("SaveAccount").value_or(0));
  UserMac = store.GetDword("UserMac").value_or(0);
  UserName = text::FromUtf8(store.GetString("UserName").value_or(std::string()));

  auto tag = store.GetBinary("UserTag");
  bool kept = false;
  if (tag && tag->size() == UserTag.size()) {
    std::copy(tag->begin(), tag->end(), UserTag.begin());
    kept = UserTagCrc(UserTag) == UserMac;
  }
  if (!kept) {
    MakeUserTag(UserTag);
    UserMac = UserTagCrc(UserTag);
  }
  if (static_cast<uint32_t>(LoginNode) > Servers.size()) LoginNode = 0;
  loginDataLoaded_ = true;
}

bool ClientConfig::SaveLoginData() {
  if (!loginDataLoaded_ || profilePath_.empty()) return false;
  platform::ProfileStore store(profilePath_, kGroup);
  store.Load();  // keeps whatever else the file holds
  store.SetDword("LoginMode", static_cast<uint32_t>(NetMode));
  store.SetDword("LoginNode", static_cast<uint32_t>(LoginNode));
  store.SetDword("SaveAccount", static_cast<uint32_t>(SaveAccount));
  store.SetDword("UserMac", UserMac);
  store.SetString("UserName", text::ToUtf8(UserName));
  store.SetBinary("UserTag", std::string(UserTag.begin(), UserTag.end()));
  return store.Save();
}

int ClientConfig::MakeUserTag(UserTagBytes& tag) {
  tag = PickUserTag(platform::EthernetAddresses(), RandomByte);
  return static_cast<int>(tag.size());
}

}  // namespace lobby
