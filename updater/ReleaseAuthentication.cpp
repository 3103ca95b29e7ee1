#include "updater/ReleaseAuthentication.h"

#include "updater/UpdateList.h"

namespace updater {

bool SignedByTrustedKey(const UpdateTrust& trust, std::string_view archive, std::string_view signatureFile,
                        text::WStringView program, std::string& why) {
  if (trust.mode != UpdateTrust::Mode::kKeys) {
    why = "no usable trusted key";
    return false;
  }
  SignatureBytes signature{};
  if (signatureFile.size() > kSignatureFileLimit || !FromBase64(FirstLine(signatureFile), signature.data(), signature.size())) {
    why = "the signature file is not one base64 signature";
    return false;
  }
  bool keyForProgram = false;
  for (const TrustedKey& key : trust.keys) {
    if (!key.MaySign(program)) continue;
    keyForProgram = true;
    if (VerifyDetached(archive, signature, key.key)) return true;
  }
  why = keyForProgram ? "the list is not signed by a trusted key" : "no trusted key may sign this program";
  return false;
}

bool BindsRelease(UpdateList& list, text::WStringView program, text::WStringView version,
                  const std::optional<InstalledRelease>& installed, std::string& why) {
  if (list.Name() != program) {
    why = "the signed list names another program: " + text::ToUtf8(list.Name());
    return false;
  }
  if (list.Version() != version) {
    why = "the signed list is of another version: " + text::ToUtf8(list.Version());
    return false;
  }
  if (list.SignedTime().empty()) {
    why = "the signed list carries no signing time";
    return false;
  }
  if (installed && SignedEarlier(list.SignedTime(), installed->signedTime)) {
    why = "the release was signed before the installed one (" + installed->signedTime + ")";
    return false;
  }
  for (const UpdateFileEntry* entry = list.First(); entry; entry = list.Next()) {
    if (entry->CompressHash().empty()) {
      why = "the signed list has a file without a hash";
      return false;
    }
  }
  return true;
}

}  // namespace updater
