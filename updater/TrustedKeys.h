// The keys a program directory trusts to sign its releases: the key file beside the updater
// (contract::kKeyFileName). UTF-8 text, one key a line: the base64 of a 32-byte Ed25519 public
// key, optionally a space and a comma-separated list of the program names the key may sign (no
// list: any program). A line starting with "#" is a comment; blank lines are skipped; CR LF is
// accepted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"
#include "updater/Signature.h"

namespace updater {

// A key file is read up to this size; a longer one is malformed.
inline constexpr size_t kKeyFileLimit = 64 * 1024;

struct TrustedKey {
  PublicKey key{};
  std::vector<text::WString> programs;  // empty: any program

  bool MaySign(text::WStringView program) const;
};

struct UpdateTrust {
  enum class Mode {
    kNoKeyFile,  // releases are not authenticated (the behaviour before keys existed)
    kKeys,       // only releases signed by one of `keys` install
    kBroken,     // a key file that cannot be read or holds no usable key: nothing installs
  };
  Mode mode = Mode::kNoKeyFile;
  std::vector<TrustedKey> keys;

  bool Authenticates() const { return mode != Mode::kNoKeyFile; }
};

// Reads the key file's text; kBroken for any line that is not a key or a comment, for a file
// without a key, and for text past kKeyFileLimit.
UpdateTrust ParseTrustedKeys(std::string_view text);

// The trust of a directory: kNoKeyFile only when no file (and nothing else) has that name.
UpdateTrust LoadTrustedKeys(const std::string& keyFile);

// True when `trust` holds a key that may sign `program`: a release that installs such a file
// never locks out the releases after it.
bool CanSignFor(const UpdateTrust& trust, text::WStringView program);

}  // namespace updater
