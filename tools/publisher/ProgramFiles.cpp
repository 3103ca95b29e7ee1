#include "tools/publisher/ProgramFiles.h"

#include <algorithm>
#include <filesystem>

#include "platform/FileSystem.h"

namespace publisher {
namespace {

namespace fs = std::filesystem;

ProgramFile Describe(const fs::path& file, const fs::path& top) {
  ProgramFile out;
  out.localPath = platform::Utf8Path(file);
  out.name = text::FromUtf8(platform::Utf8Path(file.filename()));
  for (const fs::path& level : file.parent_path().lexically_relative(top)) {
    if (level == ".") continue;
    if (!out.listPath.empty()) {
      out.listPath += u'\\';
      out.localDir += u'/';
    }
    const text::WString name = text::FromUtf8(platform::Utf8Path(level));
    out.listPath += name;
    out.localDir += name;
  }
  return out;
}

fs::path Relative(const ProgramFile& file) {
  return platform::FsPath(text::ToUtf8(file.localDir)) / platform::FsPath(text::ToUtf8(file.name));
}

}  // namespace

bool ListedBefore(const ProgramFile& a, const ProgramFile& b) { return Relative(a) < Relative(b); }

bool ListProgramFiles(const std::string& directory, std::vector<ProgramFile>& files, text::WString& error) {
  std::error_code ec;
  const fs::path top = platform::FsPath(directory);
  std::vector<fs::path> found;
  for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec)) found.push_back(it->path());
  }
  if (ec) {
    error = u"cannot read " + text::FromUtf8(directory) + u": " + text::FromUtf8(ec.message());
    return false;
  }
  files.clear();
  for (const fs::path& path : found) files.push_back(Describe(path, top));
  std::sort(files.begin(), files.end(), ListedBefore);
  return true;
}

}  // namespace publisher
