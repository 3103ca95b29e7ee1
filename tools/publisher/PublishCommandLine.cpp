#include "tools/publisher/PublishCommandLine.h"

#include <cstdio>
#include <cstring>

namespace publisher {
namespace {

text::WString* Field(PublishOptions& options, const char* flag) {
  if (std::strcmp(flag, "--name") == 0) return &options.name;
  if (std::strcmp(flag, "--version") == 0) return &options.version;
  if (std::strcmp(flag, "--program") == 0) return &options.programDir;
  if (std::strcmp(flag, "--root") == 0) return &options.serverRoot;
  if (std::strcmp(flag, "--corp") == 0) return &options.corp;
  return nullptr;
}

}  // namespace

bool ParsePublishCommandLine(int argc, const char* const* argv, PublishOptions& options, std::string& error) {
  for (int i = 1; i < argc; i += 2) {
    text::WString* field = Field(options, argv[i]);
    if (!field) {
      error = std::string("unknown argument: ") + argv[i];
      return false;
    }
    if (i + 1 >= argc) {
      error = std::string("missing value after ") + argv[i];
      return false;
    }
    *field = text::FromUtf8(argv[i + 1]);
  }
  if (options.name.empty() || options.version.empty() || options.programDir.empty() || options.serverRoot.empty()) {
    error = "--name, --version, --program and --root are required";
    return false;
  }
  return true;
}

int RunPublisher(int argc, const char* const* argv) {
  PublishOptions options;
  std::string error;
  if (!ParsePublishCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "zemba-publish: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  PublishResult result = Publish(options);
  if (!result.ok) {
    std::fprintf(stderr, "zemba-publish: %s\n", text::ToUtf8(result.message).c_str());
    return 1;
  }
  std::printf("%s\n", text::ToUtf8(result.message).c_str());
  return 0;
}

}  // namespace publisher
