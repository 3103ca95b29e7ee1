#include "updater/CommandLine.h"

#include <algorithm>
#include <array>

#include "contract/Contract.h"

namespace updater {
namespace {

// An option the updater knows: its spelling, leading "-" included, and whether a value follows.
struct KnownOption {
  const char* spelling;
  bool takesValue;
};

// Order matters only for readability: names are distinct.
constexpr std::array<KnownOption, 6> kKnownOptions{{
    {contract::kNameOption, true},
    {contract::kNumberOption, true},
    {contract::kDownOption, true},
    {contract::kProgOption, true},
    {contract::kHttpOption, true},
    {contract::kRebootOption, false},
}};

// "-" or "/", then the name in any case.
const KnownOption* FindKnown(text::WStringView token) {
  if (token.empty() || (token[0] != u'-' && token[0] != u'/')) return nullptr;
  const text::WString key = text::AsciiLower(token.substr(1));
  for (const KnownOption& known : kKnownOptions) {
    if (key == text::Ascii(known.spelling + 1)) return &known;
  }
  return nullptr;
}

const CommandLineOption* First(const std::vector<CommandLineOption>& options, const char* spelling) {
  const text::WString wanted = text::Ascii(spelling);
  auto it = std::find_if(options.begin(), options.end(), [&](const CommandLineOption& o) {
    return text::AsciiEqualsNoCase(o.name, wanted);
  });
  return it == options.end() ? nullptr : &*it;
}

}  // namespace

std::vector<CommandLineOption> MatchOptions(const std::vector<text::WString>& tokens) {
  std::vector<CommandLineOption> options;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const KnownOption* known = FindKnown(tokens[i]);
    if (!known) break;
    CommandLineOption option{known->takesValue, text::Ascii(known->spelling), {}};
    if (known->takesValue) {
      if (i + 1 >= tokens.size()) break;  // the value is missing: drop the option
      option.value = tokens[++i];
    }
    options.push_back(std::move(option));
  }
  return options;
}

bool ValidateOptions(const std::vector<CommandLineOption>& options, UpdaterOptions& out) {
  const CommandLineOption* name = First(options, contract::kNameOption);
  const CommandLineOption* number = First(options, contract::kNumberOption);
  const CommandLineOption* prog = First(options, contract::kProgOption);
  const CommandLineOption* down = First(options, contract::kDownOption);
  const CommandLineOption* http = First(options, contract::kHttpOption);
  if (!name || !number || !prog || !down || !http) return false;
  out.programName = name->value;
  out.version = number->value;
  out.versionKey = contract::VersionKey(number->value);
  out.programDir = prog->value;
  out.downloadDir = down->value;
  out.serverUrl = http->value;
  out.restart = First(options, contract::kRebootOption) != nullptr;
  return true;
}

bool ParseUpdaterArguments(int argc, const char* const* argv, UpdaterOptions& out) {
  std::vector<text::WString> tokens;
  for (int i = 1; i < argc; ++i) tokens.push_back(text::FromUtf8(argv[i]));
  return ValidateOptions(MatchOptions(tokens), out);
}

}  // namespace updater
