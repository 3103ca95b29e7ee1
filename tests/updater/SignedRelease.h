// Helpers for tests of signed releases: key pairs, and a version published and signed the way
// the publisher does it (list binding name, version, signing time and every archive's hash).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/updater/UpdateFixture.h"
#include "updater/ArchiveHash.h"
#include "updater/Signature.h"
#include "updater/TrustedKeys.h"

namespace testsupport {

struct TestKey {
  updater::PublicKey publicKey{};
  updater::SecretKey secretKey{};

  TestKey() { updater::MakeKeyPair(publicKey, secretKey); }
  // The key file line; `programs` is the comma-separated list, empty for any program.
  std::string Line(const std::string& programs = "") const {
    return updater::Base64(publicKey.data(), publicKey.size()) + (programs.empty() ? "" : " " + programs);
  }
  std::string Sign(const std::string& bytes) const {
    const updater::SignatureBytes s = updater::SignDetached(bytes, secretKey);
    return updater::Base64(s.data(), s.size()) + "\n";
  }
};

struct SignedSpec {
  std::string name = "Game";
  std::string version = "1.0.2";
  std::string signedTime = "1700000000";
  // Changes a record after it was filled in (a test's forgery), before the list is written.
  std::function<void(updater::FileRecord&)> alter;
};

inline std::string ListPathOf(const std::string& prefix, const std::string& key) {
  return prefix + "/" + key + "/UpdateList.xml." + key;
}

// Zips the list of `records` with the Software fields of `spec`.
inline std::string ZippedList(const SignedSpec& spec, const std::vector<updater::FileRecord>& records) {
  TempDir scratch;
  updater::UpdateList list;
  list.SetName(text::FromUtf8(spec.name));
  list.SetVersion(text::FromUtf8(spec.version));
  list.SetSignedTime(spec.signedTime);
  for (const updater::FileRecord& r : records) list.Add(r);
  list.Save(scratch.WPath() + u"/UpdateList.xml");
  return ZipBytes(scratch, "UpdateList.xml", ReadFileBytes(scratch.Join("UpdateList.xml")));
}

// Publishes like Publish(), with a signed list under "<prefix>/<key>/", key from spec.version.
inline Published PublishSigned(const std::string& prefix, const std::vector<SourceFile>& files, const TestKey& key,
                               const SignedSpec& spec = {}) {
  const std::string versionKey = text::ToUtf8(contract::VersionKey(text::FromUtf8(spec.version)));
  Published out = Publish(prefix, versionKey, files);
  for (updater::FileRecord& r : out.records) {
    std::string dir = r.filePath;
    for (char& c : dir) if (c == '\\') c = '/';
    const std::string url = prefix + "/" + versionKey + "/" + (dir.empty() ? "" : dir + "/") + r.fileName + "." + versionKey;
    r.compressHash = updater::HashText(out.bodies[url]);
    if (spec.alter) spec.alter(r);
  }
  const std::string list = ZippedList(spec, out.records);
  out.bodies[ListPathOf(prefix, versionKey)] = list;
  out.bodies[ListPathOf(prefix, versionKey) + ".sig"] = key.Sign(list);
  return out;
}

}  // namespace testsupport
