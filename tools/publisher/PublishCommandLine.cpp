#include "tools/publisher/PublishCommandLine.h"

#include <cstdio>
#include <cstring>

#include "tools/publisher/KeyFiles.h"

namespace publisher {
namespace {

text::WString* Field(PublishOptions& options, const char* flag) {
  if (std::strcmp(flag, "--name") == 0) return &options.name;
  if (std::strcmp(flag, "--version") == 0) return &options.version;
  if (std::strcmp(flag, "--program") == 0) return &options.programDir;
  if (std::strcmp(flag, "--root") == 0) return &options.serverRoot;
  if (std::strcmp(flag, "--corp") == 0) return &options.corp;
  if (std::strcmp(flag, "--sign") == 0) return &options.secretKeyFile;
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

// "keygen --secret FILE --public FILE".
int RunKeygen(int argc, const char* const* argv) {
  std::string secret, pub;
  for (int i = 2; i < argc; i += 2) {
    std::string* field = std::strcmp(argv[i], "--secret") == 0   ? &secret
                         : std::strcmp(argv[i], "--public") == 0 ? &pub
                                                                 : nullptr;
    if (!field || i + 1 >= argc) {
      std::fprintf(stderr, "zemba-publish: keygen: bad argument %s\n%s", argv[i], kUsage);
      return 2;
    }
    *field = argv[i + 1];
  }
  if (std::optional<text::WString> problem = MakeKeyFiles(secret, pub)) {
    std::fprintf(stderr, "zemba-publish: %s\n", text::ToUtf8(*problem).c_str());
    return secret.empty() || pub.empty() ? 2 : 1;
  }
  std::printf("made a key pair: secret key in %s, public key in %s\n", secret.c_str(), pub.c_str());
  return 0;
}

int RunPublisher(int argc, const char* const* argv) {
  if (argc > 1 && std::strcmp(argv[1], "keygen") == 0) return RunKeygen(argc, argv);
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
