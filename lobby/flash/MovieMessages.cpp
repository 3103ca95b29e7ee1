#include "lobby/flash/MovieMessages.h"

#include "contract/Contract.h"
#include "lobby/config/ClientConfig.h"
#include "xml/XmlDocument.h"

namespace lobby {

namespace {

using text::WString;
using text::WStringView;

// Writes the value elements of one invoke document in order.
class MessageWriter {
 public:
  explicit MessageWriter(WStringView name) {
    doc_.AddElement(u"invoke");
    doc_.SetAttribute(u"name", name);
    doc_.SetAttribute(u"returntype", u"xml");
    doc_.EnterElement();
    doc_.AddElement(u"arguments");
    doc_.EnterElement();
  }

  void Begin(WStringView kind) {
    doc_.AddElement(kind);
    doc_.EnterElement();
  }
  void BeginProperty(WStringView id, WStringView kind) {
    Property(id);
    doc_.EnterElement();
    Begin(kind);
  }
  void EndProperty() {
    doc_.LeaveElement();
    doc_.LeaveElement();
  }

  void String(WStringView id, WStringView value) {
    Property(id);
    doc_.AddChildElement(u"string", value);
  }
  void Number(WStringView id, int32_t value) {
    Property(id);
    doc_.AddChildElement(u"number", text::FormatInt(value));
  }
  void Markup(WStringView id, WStringView markup) {
    Property(id);
    doc_.SetElementContent(markup);
  }
  void BareNumber(int32_t value) { doc_.AddElement(u"number", text::FormatInt(value)); }

  // The text on one line: the document's CR LF pairs removed.
  WString Finish() const {
    const WString& s = doc_.ToString();
    WString out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') {
        ++i;
        continue;
      }
      out.push_back(s[i]);
    }
    return out;
  }

 private:
  void Property(WStringView id) {
    doc_.AddElement(u"property");
    doc_.SetAttribute(u"id", id);
  }

  xml::XmlDocument doc_;
};

void WriteServers(MessageWriter& w, const ClientConfig& config) {
  w.BeginProperty(u"LoginServer", u"array");
  int32_t index = 0;
  for (const ServerEntry& s : config.Servers) {
    w.BeginProperty(text::FormatInt(index++), u"object");
    w.String(u"AutoDns", s.AutoDns);
    w.String(u"TelDns", s.TelDns);
    w.String(u"UniDns", s.UniDns);
    w.Number(u"Port", s.Port);
    w.EndProperty();
  }
  w.EndProperty();
}

void WriteUserTag(MessageWriter& w, const ClientConfig& config) {
  w.BeginProperty(u"UserTag", u"array");
  for (size_t i = 0; i < config.UserTag.size(); ++i) {
    w.Number(text::FormatInt(static_cast<int32_t>(i)), config.UserTag[i]);
  }
  w.EndProperty();
}

WString SingleNumberMessage(WStringView name) {
  MessageWriter w(name);
  w.BareNumber(1);
  return w.Finish();
}

}  // namespace

WString UpdaterOutcomeWord(std::optional<int> exitCode) {
  using contract::UpdaterExit;
  switch (exitCode ? static_cast<UpdaterExit>(*exitCode) : UpdaterExit::kFailed) {
    case UpdaterExit::kInstalled: return u"installed";
    case UpdaterExit::kNothingToDo: return u"nothingToDo";
    case UpdaterExit::kRefused: return u"refused";
    case UpdaterExit::kNotRun: return u"notRun";
    default: return u"failed";
  }
}

WString LoginServerMessage(const ClientConfig& config) {
  MessageWriter w(u"LoginServer");
  w.Begin(u"object");
  w.String(u"MainPath", config.GetMainPath());
  w.String(u"UserName", config.UserName);
  w.Number(u"ProxyId", config.ProxyId);
  w.Number(u"LoginMode", config.LoginMode);
  w.Number(u"NetMode", config.NetMode);
  w.Number(u"LoginNode", config.LoginNode);
  w.Number(u"SaveAccount", config.SaveAccount);
  WriteServers(w, config);
  WriteUserTag(w, config);
  if (!config.SkippedUpdateVersion.empty()) {
    w.BeginProperty(u"SkippedUpdate", u"object");
    w.String(u"Version", config.SkippedUpdateVersion);
    w.Number(u"Result", config.SkippedUpdateResult);
    w.String(u"Outcome", UpdaterOutcomeWord(config.SkippedUpdateResult));
    w.EndProperty();
  }
  w.String(u"LobbyVersion", config.LobbyVersion);
  return w.Finish();
}

WString GameResultMessage(WStringView name, WStringView gameName, int32_t result,
                          WStringView gameParamMarkup) {
  return GameResultMessage(name, gameName, result, gameParamMarkup, {});
}

WString GameResultMessage(WStringView name, WStringView gameName, int32_t result,
                          WStringView gameParamMarkup, const GameResultDetails& details) {
  MessageWriter w(name);
  w.Begin(u"object");
  w.String(u"GameName", gameName);
  w.Number(u"Result", result);
  w.Markup(u"GameParam", gameParamMarkup);
  if (!details.reason.empty()) w.String(u"Reason", details.reason);
  if (!details.outcome.empty()) w.String(u"Outcome", details.outcome);
  return w.Finish();
}

WString LoginGameMessage() { return SingleNumberMessage(u"LoginGame"); }
WString LogoutGameMessage() { return SingleNumberMessage(u"LogoutGame"); }

WString LogoutServerMessage() {
  return u"<invoke name=\"LogoutServer\"><arguments><number>1</number></arguments></invoke>";
}

WString RightClickMessage() {
  return u"<invoke name=\"RightClick\"><arguments><number>1</number></arguments></invoke>";
}

}  // namespace lobby
