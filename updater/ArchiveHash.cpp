#include "updater/ArchiveHash.h"

#include <sodium.h>

#include "updater/Signature.h"

namespace updater {
namespace {

crypto_generichash_state* State(std::array<unsigned char, 384>& storage) {
  static_assert(sizeof(crypto_generichash_state) <= 384, "room for the hash state");
  return reinterpret_cast<crypto_generichash_state*>(storage.data());
}

}  // namespace

ArchiveHash::ArchiveHash() {
  CryptoReady();
  crypto_generichash_init(State(state_), nullptr, 0, kArchiveHashBytes);
}

void ArchiveHash::Update(const void* data, size_t size) {
  crypto_generichash_update(State(state_), static_cast<const unsigned char*>(data), size);
}

std::string ArchiveHash::FinishText() {
  unsigned char hash[kArchiveHashBytes];
  crypto_generichash_final(State(state_), hash, sizeof hash);
  crypto_generichash_init(State(state_), nullptr, 0, kArchiveHashBytes);
  char hex[kArchiveHashTextLength + 1];
  sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
  return std::string(hex, kArchiveHashTextLength);
}

std::string HashText(std::string_view bytes) {
  ArchiveHash hash;
  hash.Update(bytes.data(), bytes.size());
  return hash.FinishText();
}

bool IsHashText(std::string_view text) {
  if (text.size() != kArchiveHashTextLength) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace updater
