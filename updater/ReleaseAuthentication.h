// Whether a downloaded release may be installed when keys are trusted: the list archive's
// detached signature by a key that may sign the program, then what the signed list binds (the
// program name, the version asked for, a signing time no earlier than the installed release's,
// and a hash for every archive).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"
#include "updater/InstalledRelease.h"
#include "updater/TrustedKeys.h"

namespace updater {

class UpdateList;

// A signature file holds at most this much (one line of base64 and its line end).
inline constexpr uint64_t kSignatureFileLimit = 256;

// True when `signatureFile` (the ".sig" text) is a valid signature of `archive` by a trusted
// key that may sign `program`. `why` says what failed.
bool SignedByTrustedKey(const UpdateTrust& trust, std::string_view archive, std::string_view signatureFile,
                        text::WStringView program, std::string& why);

// True when the verified list is the release that was asked for and is not older than the
// installed one.
bool BindsRelease(UpdateList& list, text::WStringView program, text::WStringView version,
                  const std::optional<InstalledRelease>& installed, std::string& why);

}  // namespace updater
