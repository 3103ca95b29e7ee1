#include "tools/publisher/KeyFiles.h"

#include <cstdio>

#include "platform/FileSystem.h"

namespace publisher {
namespace {

constexpr size_t kSecretFileLimit = 1024;

bool WriteNew(const std::string& path, const std::string& line, unsigned mode) {
  platform::NewFile file;
  if (!file.CreateOnly(path, mode)) return false;
  const std::string text = line + "\n";
  return file.Write(text.data(), text.size()) && file.Close();
}

}  // namespace

std::optional<text::WString> MakeKeyFiles(const std::string& secretPath, const std::string& publicPath) {
  if (secretPath.empty() || publicPath.empty()) return u"keygen needs --secret FILE and --public FILE";
  for (const std::string& path : {secretPath, publicPath}) {
    if (platform::KindOf(path) != platform::PathKind::kMissing) return u"will not overwrite " + text::FromUtf8(path);
  }
  updater::PublicKey publicKey;
  updater::SecretKey secretKey;
  if (!updater::MakeKeyPair(publicKey, secretKey)) return u"cannot make a key pair";
  if (!WriteNew(secretPath, updater::Base64(secretKey.data(), secretKey.size()), 0600)) {
    return u"cannot create " + text::FromUtf8(secretPath);
  }
  if (!WriteNew(publicPath, updater::Base64(publicKey.data(), publicKey.size()), 0644)) {
    return u"cannot create " + text::FromUtf8(publicPath);
  }
  return std::nullopt;
}

std::optional<updater::SecretKey> ReadSecretKey(const std::string& secretPath, text::WString& error) {
  platform::StreamPtr file = platform::OpenForReading(secretPath);
  std::string text(kSecretFileLimit + 1, '\0');
  const size_t got = file ? std::fread(text.data(), 1, text.size(), file.get()) : 0;
  text.resize(got);
  updater::SecretKey key;
  if (!file || got > kSecretFileLimit || !updater::FromBase64(updater::FirstLine(text), key.data(), key.size())) {
    error = u"cannot read a secret key from " + text::FromUtf8(secretPath);
    return std::nullopt;
  }
  return key;
}

}  // namespace publisher
