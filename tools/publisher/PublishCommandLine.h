// The publisher's command line.
#pragma once

#include <string>

#include "tools/publisher/Publisher.h"

namespace publisher {

inline constexpr const char* kUsage =
    "usage: zemba-publish --name NAME --version VERSION --program DIR --root DIR [--corp WORD]\n"
    "                     [--sign SECRETFILE]\n"
    "       zemba-publish keygen --secret FILE --public FILE\n"
    "  Writes the update server's tree for one program version below DIR given by --root,\n"
    "  after writing the program's Update.cfg into the program directory. --corp defaults to Zemba.\n"
    "  --sign signs the release with the secret key (UpdateList.xml.<key>.sig beside the list).\n"
    "  keygen makes a signing key pair: the secret file (mode 0600) and the public key file that\n"
    "  goes beside Vendrel as UpdateKeys.pub. Neither file may exist already.\n";

// Fills the options from the arguments; false with a message for unknown or missing values.
bool ParsePublishCommandLine(int argc, const char* const* argv, PublishOptions& options, std::string& error);

// The whole program: parse, publish, print the summary or the error. Returns the exit code:
// 0 published, 1 refused or failed, 2 bad command line.
int RunPublisher(int argc, const char* const* argv);

}  // namespace publisher
