// The updater's command line: which program to bring to which version, where it lives, where
// downloads are kept and which server directory to fetch from. The lobby writes it (see
// lobby/update/UpdateTask); the option spellings are in contract/Contract.h.
#pragma once

#include <vector>

#include "text/Text.h"

namespace updater {

// One recognised option, in the option table's form ("-name", ...).
struct CommandLineOption {
  bool hasValue = false;
  text::WString name;
  text::WString value;  // empty for -reboot
};

// Everything the updater takes from its command line.
struct UpdaterOptions {
  text::WString programName;  // -name: executable name without suffix
  text::WString version;      // -number, as given
  text::WString versionKey;   // -number without "."
  text::WString programDir;   // -prog
  text::WString downloadDir;  // -down
  text::WString serverUrl;    // -http
  bool restart = false;       // -reboot
};

// Matches tokens against the option table in order. The first token that is not an option, an
// unknown option, or a value-taking option without a value ends the parse; what was matched
// before stays.
std::vector<CommandLineOption> MatchOptions(const std::vector<text::WString>& tokens);

// The first occurrence of each option wins. False when -name, -number, -prog, -down or -http
// is missing.
bool ValidateOptions(const std::vector<CommandLineOption>& options, UpdaterOptions& out);

// The program's entry: the argument vector (argv[0] is the program itself and is skipped), each
// argument one token in UTF-8, as the system split the command line.
bool ParseUpdaterArguments(int argc, const char* const* argv, UpdaterOptions& out);

}  // namespace updater
