// The publisher's command line: the publishing form, and the subcommands announce, verify and
// keygen.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace publisher {

inline constexpr const char* kUsage =
    "usage: zemba-publish --name NAME --version VERSION --program DIR --root DIR [--corp WORD]\n"
    "                     [--sign SECRETFILE] [--no-announce] [--force]\n"
    "       zemba-publish announce --name NAME --version VERSION --root DIR [--corp WORD] [--force]\n"
    "       zemba-publish verify --name NAME --version VERSION --url URL [--corp WORD] [--keys FILE]\n"
    "       zemba-publish keygen --secret FILE --public FILE\n"
    "       zemba-publish --help\n"
    "  The first form writes the update server's tree for one program version below the --root\n"
    "  directory: the folder <root>/<corp>/<name>/<version without dots>, built aside and put in\n"
    "  place whole, then (unless --no-announce) UpdateVersion.xml, which offers it to clients.\n"
    "  The program directory is only read; the release's Update.cfg is made by the publisher.\n"
    "  --corp defaults to Zemba. --sign signs the release with the secret key\n"
    "  (UpdateList.xml.<key>.sig beside the list).\n"
    "  NAME is a name the lobby takes as a game directory (no \"/\", \"\\\", control characters,\n"
    "  \".\" or \"..\"), at most 32 bytes in code page 936. VERSION is 1 to 4 parts of digits joined\n"
    "  by dots, without leading zeros (1.0.12), at most 32 bytes. Clients compare versions as text\n"
    "  (1.0.10 sorts before 1.0.9), so a version must sort after the highest one published.\n"
    "  A published version folder is never changed. --force allows a version that does not sort\n"
    "  after the highest published (or announced) one, and replaces a published folder of the same\n"
    "  version; a version whose folder another version already uses (1.1.0 and 11.0) is refused\n"
    "  even then.\n"
    "  announce writes UpdateVersion.xml for a version already published: its folder must hold the\n"
    "  list and every archive with its listed length, and the version must sort after the announced\n"
    "  one (--force announces an older one, to roll the announcement back).\n"
    "  verify fetches the release from URL/<corp>/<name>/<key>/ as a client would (URL is the\n"
    "  lobby's UpdateUrl) and checks the list, its signature when --keys names an UpdateKeys.pub,\n"
    "  and every archive: length, CRC, signed hash and unpacked file. It prints one line per fault\n"
    "  and a summary.\n"
    "  keygen makes a signing key pair: the secret file (mode 0600) and the public key file that\n"
    "  goes beside Vendrel as UpdateKeys.pub. Neither file may exist already.\n"
    "  Exit codes: 0 done, 1 refused or failed, 2 bad command line.\n";

// The arguments after the command word: options with a value, and flags.
struct ParsedArguments {
  std::map<std::string, std::string> values;  // "--name" -> "Game"
  std::set<std::string> flags;                // "--force"
};

// Reads `arguments` against the options a command knows; false with a message for an unknown
// option, a missing value, an option given twice, or a required option missing.
bool ParseArguments(const std::vector<std::string>& arguments, const std::set<std::string>& valueOptions,
                    const std::set<std::string>& flagOptions, const std::vector<std::string>& required,
                    ParsedArguments& parsed, std::string& error);

// The whole program: parse, run the command, print the summary or the error. Returns the exit
// code: 0 done, 1 refused or failed, 2 bad command line.
int RunPublisher(int argc, const char* const* argv);

}  // namespace publisher
