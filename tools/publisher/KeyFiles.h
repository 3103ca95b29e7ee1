// The operator's signing keys: making a pair, and reading the secret key to sign with.
//   secret file: the 64-byte Ed25519 secret key in base64, one line, mode 0600
//   public file: the 32-byte public key in base64, one line (the updater's key-file format)
#pragma once

#include <optional>
#include <string>

#include "text/Text.h"
#include "updater/Signature.h"

namespace publisher {

// Makes a key pair into two new files; neither may exist yet (a key is never overwritten).
// None on success, else what went wrong.
std::optional<text::WString> MakeKeyFiles(const std::string& secretPath, const std::string& publicPath);

// The secret key of a secret file; none with the error in `error`.
std::optional<updater::SecretKey> ReadSecretKey(const std::string& secretPath, text::WString& error);

}  // namespace publisher
