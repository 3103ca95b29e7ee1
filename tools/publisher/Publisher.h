// Turns a program directory into the update server's tree for one version, reading the
// program directory only:
//   <root>/<corp>/<name>/UpdateVersion.xml               what the lobby asks for
//   <root>/<corp>/<name>/<key>/UpdateList.xml.<key>     the zipped file list
//   <root>/<corp>/<name>/<key>/UpdateList.xml.<key>.sig its signature (signed releases)
//   <root>/<corp>/<name>/<key>/<path>/<file>.<key>      one zip per file
// where <corp> and <name> are lower case and <key> is the version without its dots. A version
// folder is built under a work name beside it and renamed into place whole; once there it is
// never changed (unless forced), and UpdateVersion.xml names it only after that.
#pragma once

#include <cstdint>

#include "contract/Contract.h"
#include "text/Text.h"

namespace publisher {

struct PublishOptions {
  text::WString name;        // program name, as the lobby and the updater know it
  text::WString version;
  text::WString programDir;  // the files to publish; the release's Update.cfg is made, not read
  text::WString serverRoot;  // the directory the update server serves
  text::WString corp = text::Ascii(contract::kCorp);
  text::WString secretKeyFile = u"";  // signs the release when given
  int64_t signingTime = 0;      // seconds since 1970 written into the list; 0: now
  bool announce = true;  // write UpdateVersion.xml once the version folder is in place
  bool force = false;    // allow a version that is not newer, and replacing a published folder
};

struct PublishResult {
  bool ok = false;
  text::WString message;  // the error, or the one-line summary
  uint32_t files = 0;
  int64_t fileBytes = 0;
  int64_t archiveBytes = 0;
  text::WString versionDir;
};

// Checks everything (names, sizes, encodability, the versions already published and announced)
// before writing anything to the server root.
PublishResult Publish(const PublishOptions& options);

}  // namespace publisher
