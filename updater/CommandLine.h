// The updater's command line: which program to bring to which version, where it lives, where
// downloads are kept and which server directory to fetch from.
#pragma once

#include <string>
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

// Splits a whole command line (without the program's own name) into tokens: spaces separate,
// a token starting with a double quote runs to the next double quote (no escapes), and an empty
// pair of quotes is an empty token.
std::vector<text::WString> TokenizeCommandLine(text::WStringView line);

// Matches tokens against the option table in order. The first token that is not an option, an
// unknown option, or a value-taking option without a value ends the parse; what was matched
// before stays.
std::vector<CommandLineOption> MatchOptions(const std::vector<text::WString>& tokens);

// The first occurrence of each option wins. False when -name, -number, -prog, -down or -http
// is missing.
bool ValidateOptions(const std::vector<CommandLineOption>& options, UpdaterOptions& out);

// The program's entry: the argument vector (argv[0] is the program itself and is skipped; on
// this platform each argument is already one token, given in UTF-8).
bool ParseUpdaterArguments(int argc, const char* const* argv, UpdaterOptions& out);

// The same from one command-line string, tokenised first.
bool ParseUpdaterCommandLine(text::WStringView line, UpdaterOptions& out);

}  // namespace updater
