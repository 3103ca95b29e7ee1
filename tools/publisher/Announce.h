// Announcing a published version: the program's UpdateVersion.xml names it, and the lobby
// offers it from then on. The version file is written last, in one step.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "contract/Contract.h"
#include "text/Text.h"

namespace publisher {

struct AnnounceOptions {
  text::WString name;
  text::WString version;
  text::WString serverRoot;
  text::WString corp = text::Ascii(contract::kCorp);
  bool force = false;  // announce a version that is not newer than the announced one
};

struct AnnounceResult {
  bool ok = false;
  text::WString message;  // the error, or the one-line summary
};

// Refuses a version folder that is missing or incomplete, and (unless forced) a version that
// does not sort after the one announced now.
AnnounceResult Announce(const AnnounceOptions& options);

// The version file's bytes: "<UpdateConfig><Software version="v">name</Software></UpdateConfig>"
// in code page 936 with a "gbk" declaration; name and version already encoded.
std::string SoftwareDocument(const std::string& name, const std::string& version);

// The version the program's UpdateVersion.xml names now; none when there is no such file or it
// names no version.
std::optional<text::WString> AnnouncedVersion(const std::filesystem::path& product);

// None when clients would see `version` as newer than the announced one (or nothing is
// announced), or when forced; else why not.
std::optional<text::WString> AnnounceOrderProblem(const std::filesystem::path& product, text::WStringView version,
                                                  bool force);

// Writes UpdateVersion.xml for `name` `version` in one step; none on success.
std::optional<text::WString> WriteAnnouncement(const std::filesystem::path& product, text::WStringView name,
                                               text::WStringView version);

}  // namespace publisher
