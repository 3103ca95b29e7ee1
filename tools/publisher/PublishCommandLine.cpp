#include "tools/publisher/PublishCommandLine.h"

#include <cstdio>
#include <optional>

#include "tools/publisher/Announce.h"
#include "tools/publisher/KeyFiles.h"
#include "tools/publisher/Publisher.h"
#include "tools/publisher/Verify.h"

namespace publisher {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadCommandLine = 2;

int BadCommandLine(const std::string& error) {
  std::fprintf(stderr, "zemba-publish: %s\n%s", error.c_str(), kUsage);
  return kBadCommandLine;
}

int Finish(bool ok, const text::WString& message) {
  std::fprintf(ok ? stdout : stderr, "%s%s\n", ok ? "" : "zemba-publish: ", text::ToUtf8(message).c_str());
  return ok ? kDone : kFailed;
}

text::WString Value(const ParsedArguments& parsed, const std::string& option, text::WString fallback = u"") {
  auto it = parsed.values.find(option);
  return it == parsed.values.end() ? fallback : text::FromUtf8(it->second);
}

const text::WString kDefaultCorp = text::Ascii(contract::kCorp);

int RunPublish(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  std::string error;
  if (!ParseArguments(arguments, {"--name", "--version", "--program", "--root", "--corp", "--sign"},
                      {"--no-announce", "--force"}, {"--name", "--version", "--program", "--root"}, parsed, error)) {
    return BadCommandLine(error);
  }
  PublishOptions options;
  options.name = Value(parsed, "--name");
  options.version = Value(parsed, "--version");
  options.programDir = Value(parsed, "--program");
  options.serverRoot = Value(parsed, "--root");
  options.corp = Value(parsed, "--corp", kDefaultCorp);
  options.secretKeyFile = Value(parsed, "--sign");
  options.announce = parsed.flags.count("--no-announce") == 0;
  options.force = parsed.flags.count("--force") != 0;
  const PublishResult result = Publish(options);
  return Finish(result.ok, result.message);
}

int RunAnnounce(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  std::string error;
  if (!ParseArguments(arguments, {"--name", "--version", "--root", "--corp"}, {"--force"},
                      {"--name", "--version", "--root"}, parsed, error)) {
    return BadCommandLine("announce: " + error);
  }
  AnnounceOptions options;
  options.name = Value(parsed, "--name");
  options.version = Value(parsed, "--version");
  options.serverRoot = Value(parsed, "--root");
  options.corp = Value(parsed, "--corp", kDefaultCorp);
  options.force = parsed.flags.count("--force") != 0;
  const AnnounceResult result = Announce(options);
  return Finish(result.ok, result.message);
}

// Faults go to standard output, one a line; the summary follows, on standard error when
// anything is wrong.
int RunVerify(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  std::string error;
  if (!ParseArguments(arguments, {"--name", "--version", "--url", "--corp", "--keys"}, {},
                      {"--name", "--version", "--url"}, parsed, error)) {
    return BadCommandLine("verify: " + error);
  }
  VerifyOptions options;
  options.name = Value(parsed, "--name");
  options.version = Value(parsed, "--version");
  options.updateUrl = Value(parsed, "--url");
  options.corp = Value(parsed, "--corp", kDefaultCorp);
  options.keysFile = Value(parsed, "--keys");
  const VerifyReport report = Verify(options);
  for (const text::WString& fault : report.faults) std::printf("%s\n", text::ToUtf8(fault).c_str());
  std::fflush(stdout);
  return Finish(report.Good(), report.summary);
}

int RunKeygen(const std::vector<std::string>& arguments) {
  ParsedArguments parsed;
  std::string error;
  if (!ParseArguments(arguments, {"--secret", "--public"}, {}, {"--secret", "--public"}, parsed, error)) {
    return BadCommandLine("keygen: " + error);
  }
  const std::string secret = parsed.values["--secret"], pub = parsed.values["--public"];
  if (std::optional<text::WString> problem = MakeKeyFiles(secret, pub)) return Finish(false, *problem);
  return Finish(true, u"made a key pair: secret key in " + text::FromUtf8(secret) + u", public key in " +
                          text::FromUtf8(pub));
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& arguments, const std::set<std::string>& valueOptions,
                    const std::set<std::string>& flagOptions, const std::vector<std::string>& required,
                    ParsedArguments& parsed, std::string& error) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (parsed.values.count(option) || parsed.flags.count(option)) {
      error = "given twice: " + option;
      return false;
    }
    if (flagOptions.count(option)) {
      parsed.flags.insert(option);
    } else if (!valueOptions.count(option)) {
      error = "unknown argument: " + option;
      return false;
    } else if (i + 1 >= arguments.size()) {
      error = "missing value after " + option;
      return false;
    } else {
      parsed.values[option] = arguments[++i];
    }
  }
  for (const std::string& option : required) {
    if (parsed.values.count(option) == 0 || parsed.values[option].empty()) {
      error = "missing " + option;
      return false;
    }
  }
  return true;
}

int RunPublisher(int argc, const char* const* argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const std::string command = arguments.empty() ? "" : arguments[0];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return kDone;
  }
  const std::vector<std::string> rest(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
  if (command == "keygen") return RunKeygen(rest);
  if (command == "announce") return RunAnnounce(rest);
  if (command == "verify") return RunVerify(rest);
  return RunPublish(arguments);
}

}  // namespace publisher
