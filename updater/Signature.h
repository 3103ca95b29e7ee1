// Ed25519 release signatures and their text forms, through libsodium. A key pair signs a
// release's list archive; the updater trusts public keys from a file beside itself.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

inline constexpr size_t kPublicKeyBytes = 32;
inline constexpr size_t kSecretKeyBytes = 64;
inline constexpr size_t kSignatureBytes = 64;

using PublicKey = std::array<unsigned char, kPublicKeyBytes>;
using SecretKey = std::array<unsigned char, kSecretKeyBytes>;
using SignatureBytes = std::array<unsigned char, kSignatureBytes>;

// False when the library cannot start (then nothing can be signed or verified).
bool CryptoReady();

// A fresh key pair from the system's random source.
bool MakeKeyPair(PublicKey& publicKey, SecretKey& secretKey);
SignatureBytes SignDetached(std::string_view message, const SecretKey& secretKey);
bool VerifyDetached(std::string_view message, const SignatureBytes& signature, const PublicKey& publicKey);

// Standard base64 with padding, no line breaks.
std::string Base64(const unsigned char* data, size_t size);
// Decodes exactly `size` bytes from standard base64; false for anything else (other lengths,
// other alphabets, white space).
bool FromBase64(std::string_view text, unsigned char* out, size_t size);

// The one-line text of a key or signature file, without its line end (LF or CR LF).
std::string_view FirstLine(std::string_view text);

}  // namespace updater
