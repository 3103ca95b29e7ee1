#include "updater/RetiredFiles.h"

#include <set>
#include <string>
#include <unordered_set>
#include <utility>

#include "contract/Contract.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "updater/FileDigest.h"
#include "updater/ListPaths.h"

namespace updater {
namespace {

// "dir\name" -> ("dir", "name"); ("", "name") without a directory.
std::pair<text::WString, text::WString> Split(text::WStringView path) {
  const size_t slash = path.rfind(u'\\');
  if (slash == text::WStringView::npos) return {text::WString(), text::WString(path)};
  return {text::WString(path.substr(0, slash)), text::WString(path.substr(slash + 1))};
}

// The same rules the list's own names pass, and no ":" on Windows, where it would name a
// drive or a stream of another file.
bool StaysInside(text::WStringView path) {
  const auto [dir, name] = Split(path);
#if defined(_WIN32)
  if (path.find(u':') != text::WStringView::npos) return false;
#endif
  return IsSafeFilePath(dir) && IsSafeFileName(name);
}

// The updater's own files in the program directory; compared without case on every system, as
// keeping one too many costs nothing.
bool IsUpdaterOwn(text::WStringView path) {
  const std::string exe = std::string(contract::kUpdaterName) + ".exe";
  for (const char* own : {contract::kVersionRecordName, contract::kKeyFileName, contract::kUpdaterName, exe.c_str()}) {
    if (text::AsciiLower(FileSystemKey(path)) == text::AsciiLower(text::Ascii(own))) return true;
  }
  return false;
}

std::string PathOf(const std::string& root, text::WStringView listPath) {
  return root + "/" + text::ToUtf8(LocalRelativePath(listPath));
}

// Every directory level on the way is a real directory, not a link.
bool ReachedWithoutLinks(const std::string& root, text::WStringView listPath) {
  const text::WString dir = Split(listPath).first;
  for (size_t end = dir.find(u'\\'); !dir.empty(); end = dir.find(u'\\', end + 1)) {
    if (platform::KindOf(PathOf(root, dir.substr(0, end))) != platform::PathKind::kDirectory) return false;
    if (end == text::WString::npos) break;
  }
  return true;
}

// The files of the release, by what names them on disk: a candidate that is one of them under
// another spelling (a case or a form the key does not fold) is never removed.
class ReleaseIdentities {
 public:
  ReleaseIdentities(const std::string& root, const std::vector<InstalledFile>& release) : root_(root), release_(release) {}
  bool Holds(const platform::FileFacts& facts) {
    if (!known_) Learn();
    return ids_.count({facts.device, facts.index}) > 0;
  }

 private:
  void Learn() {
    known_ = true;
    for (const InstalledFile& f : release_) {
      platform::FileFacts facts;
      if (platform::RegularFileFacts(PathOf(root_, f.path), platform::Links::kNoFollow, facts)) {
        ids_.insert({facts.device, facts.index});
      }
    }
  }
  const std::string& root_;
  const std::vector<InstalledFile>& release_;
  bool known_ = false;
  std::set<std::pair<uint64_t, uint64_t>> ids_;
};

// The directory of `listPath` below root, held level by level without following links.
platform::HeldDirectory HoldDirectoryOf(const platform::HeldDirectory& root, text::WStringView listPath) {
  platform::HeldDirectory current = root.Copy();
  const text::WString dir = Split(listPath).first;
  size_t start = 0;
  while (!dir.empty() && current.IsOpen()) {
    const size_t end = dir.find(u'\\', start);
    current = current.Child(text::ToUtf8(dir.substr(start, end == text::WString::npos ? text::WString::npos : end - start)));
    if (end == text::WString::npos) break;
    start = end + 1;
  }
  return current;
}

}  // namespace

std::vector<InstalledFile> RetiredCandidates(const std::vector<InstalledFile>& installed,
                                             const std::vector<InstalledFile>& release) {
  std::unordered_set<std::u16string> named;
  for (const InstalledFile& f : release) named.insert(FileSystemKey(f.path));
  std::vector<InstalledFile> out;
  for (const InstalledFile& f : installed) {
    if (!StaysInside(f.path) || IsUpdaterOwn(f.path)) continue;
    // Inserting also drops a second record of one file.
    if (!named.insert(FileSystemKey(f.path)).second) continue;
    out.push_back(f);
  }
  return out;
}

Retirement RemoveRetiredFiles(text::WStringView programDir, const std::vector<InstalledFile>& installed,
                              const std::vector<InstalledFile>& release) {
  Retirement out;
  const std::vector<InstalledFile> candidates = RetiredCandidates(installed, release);
  if (candidates.empty()) return out;
  // Links to the program directory itself are how players move games; below it none is followed.
  const std::string root = text::ToUtf8(platform::CanonicalDirectory(programDir));
  const platform::HeldDirectory held = platform::HeldDirectory::Open(root);
  if (!held.IsOpen()) return out;
  ReleaseIdentities releaseFiles(root, release);
  FileDigest digest;
  for (const InstalledFile& f : candidates) {
    const std::string path = PathOf(root, f.path);
    platform::FileFacts facts;
    if (!ReachedWithoutLinks(root, f.path) || !platform::RegularFileFacts(path, platform::Links::kNoFollow, facts) ||
        facts.size != static_cast<uint64_t>(f.size) || !digest.Matches(path, f.size, f.crc) ||
        releaseFiles.Holds(facts)) {
      continue;
    }
    if (HoldDirectoryOf(held, f.path).RemoveName(text::ToUtf8(Split(f.path).second))) {
      out.removed.push_back(f.path);
    } else {
      out.left.push_back(f);
    }
  }
  return out;
}

}  // namespace updater
