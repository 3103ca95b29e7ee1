// Turns a program directory into the update server's tree for one version:
//   <root>/<corp>/<name>/UpdateVersion.xml               what the lobby asks for
//   <root>/<corp>/<name>/<key>/UpdateList.xml.<key>     the zipped file list
//   <root>/<corp>/<name>/<key>/UpdateList.xml.<key>.sig its signature (signed releases)
//   <root>/<corp>/<name>/<key>/<path>/<file>.<key>      one zip per file
// where <corp> and <name> are lower case and <key> is the version without its dots.
#pragma once

#include <cstdint>

#include "contract/Contract.h"
#include "text/Text.h"

namespace publisher {

struct PublishOptions {
  text::WString name;        // program name, as the lobby and the updater know it
  text::WString version;
  text::WString programDir;  // the files to publish; receives the program's Update.cfg
  text::WString serverRoot;  // the directory the update server serves
  text::WString corp = text::Ascii(contract::kCorp);
  text::WString secretKeyFile = u"";  // signs the release when given
  int64_t signingTime = 0;      // seconds since 1970 written into the list; 0: now
};

struct PublishResult {
  bool ok = false;
  text::WString message;  // the error, or the one-line summary
  uint32_t files = 0;
  int64_t fileBytes = 0;
  int64_t archiveBytes = 0;
  text::WString versionDir;
};

// Checks everything (names, sizes, encodability) before writing anything to the server root.
PublishResult Publish(const PublishOptions& options);

}  // namespace publisher
