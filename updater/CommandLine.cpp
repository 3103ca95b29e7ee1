#include "updater/CommandLine.h"

#include <algorithm>
#include <array>

#include "platform/UpdaterNames.h"

namespace updater {
namespace {

struct OptionSpec {
  const char* name;  // without the leading "-"
  bool takesValue;
};

// Order matters only for readability: names are distinct.
constexpr std::array<OptionSpec, 6> kOptions{{
    {"name", true}, {"number", true}, {"down", true}, {"prog", true}, {"http", true}, {"reboot", false},
}};

const OptionSpec* FindSpec(text::WStringView token) {
  if (token.empty() || (token[0] != u'-' && token[0] != u'/')) return nullptr;
  const text::WString key = text::AsciiLower(token.substr(1));
  for (const OptionSpec& spec : kOptions) {
    if (key == text::Ascii(spec.name)) return &spec;
  }
  return nullptr;
}

const CommandLineOption* First(const std::vector<CommandLineOption>& options, const char* name) {
  const text::WString wanted = text::Ascii(name);
  auto it = std::find_if(options.begin(), options.end(), [&](const CommandLineOption& o) {
    return text::AsciiEqualsNoCase(o.name, wanted);
  });
  return it == options.end() ? nullptr : &*it;
}

}  // namespace

std::vector<text::WString> TokenizeCommandLine(text::WStringView line) {
  std::vector<text::WString> tokens;
  size_t i = 0;
  while (true) {
    while (i < line.size() && line[i] == u' ') ++i;
    if (i >= line.size()) break;
    if (line[i] == u'"') {
      size_t close = line.find(u'"', i + 1);
      size_t end = close == text::WStringView::npos ? line.size() : close;
      tokens.emplace_back(line.substr(i + 1, end - i - 1));
      i = close == text::WStringView::npos ? line.size() : close + 1;
    } else {
      size_t end = std::min(line.find(u' ', i), line.size());
      tokens.emplace_back(line.substr(i, end - i));
      i = end;
    }
  }
  return tokens;
}

std::vector<CommandLineOption> MatchOptions(const std::vector<text::WString>& tokens) {
  std::vector<CommandLineOption> options;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const OptionSpec* spec = FindSpec(tokens[i]);
    if (!spec) break;
    CommandLineOption option{spec->takesValue, u"-" + text::Ascii(spec->name), {}};
    if (spec->takesValue) {
      if (i + 1 >= tokens.size()) break;  // the value is missing: drop the option
      option.value = tokens[++i];
    }
    options.push_back(std::move(option));
  }
  return options;
}

bool ValidateOptions(const std::vector<CommandLineOption>& options, UpdaterOptions& out) {
  const CommandLineOption* name = First(options, "-name");
  const CommandLineOption* number = First(options, "-number");
  const CommandLineOption* prog = First(options, "-prog");
  const CommandLineOption* down = First(options, "-down");
  const CommandLineOption* http = First(options, "-http");
  if (!name || !number || !prog || !down || !http) return false;
  out.programName = name->value;
  out.version = number->value;
  out.versionKey = platform::VersionKey(number->value);
  out.programDir = prog->value;
  out.downloadDir = down->value;
  out.serverUrl = http->value;
  out.restart = First(options, "-reboot") != nullptr;
  return true;
}

bool ParseUpdaterArguments(int argc, const char* const* argv, UpdaterOptions& out) {
  std::vector<text::WString> tokens;
  for (int i = 1; i < argc; ++i) tokens.push_back(text::FromUtf8(argv[i]));
  return ValidateOptions(MatchOptions(tokens), out);
}

bool ParseUpdaterCommandLine(text::WStringView line, UpdaterOptions& out) {
  return ValidateOptions(MatchOptions(TokenizeCommandLine(line)), out);
}

}  // namespace updater
