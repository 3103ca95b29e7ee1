// The publisher's command line.
#pragma once

#include <string>

#include "tools/publisher/Publisher.h"

namespace publisher {

inline constexpr const char* kUsage =
    "usage: zemba-publish --name NAME --version VERSION --program DIR --root DIR [--corp WORD]\n"
    "  Writes the update server's tree for one program version below DIR given by --root,\n"
    "  after writing the program's Update.cfg into the program directory. --corp defaults to Zemba.\n";

// Fills the options from the arguments; false with a message for unknown or missing values.
bool ParsePublishCommandLine(int argc, const char* const* argv, PublishOptions& options, std::string& error);

// The whole program: parse, publish, print the summary or the error. Returns the exit code:
// 0 published, 1 refused or failed, 2 bad command line.
int RunPublisher(int argc, const char* const* argv);

}  // namespace publisher
