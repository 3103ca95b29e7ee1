#include "tools/publisher/Announce.h"

#include <tinyxml.h>

#include "platform/AtomicFile.h"
#include "platform/FileRead.h"
#include "platform/FileSystem.h"
#include "text/CodePage.h"
#include "tools/publisher/ReleaseRules.h"
#include "tools/publisher/ServerTree.h"

namespace publisher {
namespace {

namespace fs = std::filesystem;

constexpr size_t kVersionFileLimit = 1024;  // the lobby reads no more than this

fs::path VersionFile(const fs::path& product) { return product / contract::kServerVersionName; }

AnnounceResult Refused(text::WString message) { return AnnounceResult{false, std::move(message)}; }

}  // namespace

std::string SoftwareDocument(const std::string& name, const std::string& version) {
  TiXmlDocument document;
  document.LinkEndChild(new TiXmlDeclaration("1.0", "gbk", "yes"));
  auto* root = new TiXmlElement("UpdateConfig");
  root->SetAttribute("version", "1.0");
  auto* software = new TiXmlElement("Software");
  software->SetAttribute("version", version.c_str());
  software->LinkEndChild(new TiXmlText(name));
  root->LinkEndChild(software);
  document.LinkEndChild(root);
  TiXmlPrinter printer;
  document.Accept(&printer);
  return printer.Str();
}

std::optional<text::WString> AnnouncedVersion(const fs::path& product) {
  const std::optional<std::string> bytes = platform::ReadRegularFile(platform::Utf8Path(VersionFile(product)), kVersionFileLimit);
  if (!bytes) return std::nullopt;
  TiXmlDocument document;
  document.Parse(bytes->c_str());
  const TiXmlElement* root = document.RootElement();
  const TiXmlElement* software = root ? root->FirstChildElement("Software") : nullptr;
  const char* version = software ? software->Attribute("version") : nullptr;
  if (!version || !*version) return std::nullopt;
  return text::DecodeAnsi(version);
}

std::optional<text::WString> AnnounceOrderProblem(const fs::path& product, text::WStringView version, bool force) {
  const std::optional<text::WString> announced = AnnouncedVersion(product);
  if (force || !announced) return std::nullopt;
  if (auto problem = NotNewerProblem(version, *announced, u"the announced version")) {
    return *problem + u" (--force announces it anyway)";
  }
  return std::nullopt;
}

std::optional<text::WString> WriteAnnouncement(const fs::path& product, text::WStringView name, text::WStringView version) {
  const std::optional<std::string> encodedName = text::EncodeAnsi(name);
  const std::optional<std::string> encodedVersion = text::EncodeAnsi(version);
  if (!encodedName || !encodedVersion) return u"program name or version cannot be written in code page 936 (GBK)";
  const std::string document = SoftwareDocument(*encodedName, *encodedVersion);
  if (document.size() > kVersionFileLimit) return u"the version file would exceed 1024 bytes";
  if (!platform::ReplaceFileContent(platform::Utf8Path(VersionFile(product)), document)) {
    return u"cannot write " + text::FromUtf8(platform::Utf8Path(VersionFile(product)));
  }
  return std::nullopt;
}

AnnounceResult Announce(const AnnounceOptions& options) {
  if (auto problem = NameProblem(options.name, options.corp)) return Refused(*problem);
  if (auto problem = VersionShapeProblem(options.version)) return Refused(*problem);
  const fs::path product = ProductDir(options.serverRoot, options.corp, options.name);
  const fs::path folder = product / platform::FsPath(text::ToUtf8(contract::VersionKey(options.version)));
  if (platform::KindOf(platform::Utf8Path(folder)) != platform::PathKind::kDirectory) {
    return Refused(u"version " + options.version + u" is not published: no folder " +
                   text::FromUtf8(platform::Utf8Path(folder)));
  }
  if (auto problem = IncompleteProblem(folder, options.name, options.version)) return Refused(*problem);
  if (auto problem = AnnounceOrderProblem(product, options.version, options.force)) return Refused(*problem);
  if (auto problem = WriteAnnouncement(product, options.name, options.version)) return Refused(*problem);
  return AnnounceResult{true, u"announced " + options.name + u" " + options.version + u" in " +
                                  text::FromUtf8(platform::Utf8Path(VersionFile(product)))};
}

}  // namespace publisher
