#include "updater/Signature.h"

#include <sodium.h>

namespace updater {

bool CryptoReady() {
  // Safe to call from several threads; later calls only report the first outcome.
  static const bool ready = sodium_init() >= 0;
  return ready;
}

bool MakeKeyPair(PublicKey& publicKey, SecretKey& secretKey) {
  return CryptoReady() && crypto_sign_keypair(publicKey.data(), secretKey.data()) == 0;
}

SignatureBytes SignDetached(std::string_view message, const SecretKey& secretKey) {
  SignatureBytes signature{};
  if (!CryptoReady()) return signature;
  crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), secretKey.data());
  return signature;
}

bool VerifyDetached(std::string_view message, const SignatureBytes& signature, const PublicKey& publicKey) {
  return CryptoReady() &&
         crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size(), publicKey.data()) == 0;
}

std::string Base64(const unsigned char* data, size_t size) {
  const size_t room = sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL);
  std::string text(room, '\0');
  sodium_bin2base64(text.data(), room, data, size, sodium_base64_VARIANT_ORIGINAL);
  text.resize(room - 1);  // the terminator
  return text;
}

bool FromBase64(std::string_view text, unsigned char* out, size_t size) {
  if (!CryptoReady()) return false;
  // Only the exact encoded length can hold exactly `size` bytes.
  if (text.size() != sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL) - 1) return false;
  size_t decoded = 0;
  const char* end = nullptr;
  return sodium_base642bin(out, size, text.data(), text.size(), nullptr, &decoded, &end,
                           sodium_base64_VARIANT_ORIGINAL) == 0 &&
         decoded == size && end == text.data() + text.size();
}

std::string_view FirstLine(std::string_view text) {
  const size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace updater
