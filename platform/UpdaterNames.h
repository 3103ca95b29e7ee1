// What the lobby, the updater and the publisher must agree on about an update: the name under
// which a running updater is seen, and the key a version is published under.
#pragma once

#include <string>

#include "text/Text.h"

namespace platform {

// The machine-wide single-instance name of the updater; the lobby tests it to learn whether an
// update runs.
std::string UpdaterLockName();

// The version without its dots: "1.0.12" -> "1012". Names the version's server directory and
// is the extension of every file published in it.
text::WString VersionKey(text::WStringView version);

}  // namespace platform
