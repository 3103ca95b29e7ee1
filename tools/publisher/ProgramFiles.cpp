#include "tools/publisher/ProgramFiles.h"

#include <algorithm>
#include <filesystem>

namespace publisher {
namespace {

namespace fs = std::filesystem;

ProgramFile Describe(const fs::path& file, const fs::path& top) {
  ProgramFile out;
  out.localPath = file.string();
  out.name = text::FromUtf8(file.filename().string());
  for (const fs::path& level : file.parent_path().lexically_relative(top)) {
    if (level == ".") continue;
    if (!out.listPath.empty()) {
      out.listPath += u'\\';
      out.localDir += u'/';
    }
    out.listPath += text::FromUtf8(level.string());
    out.localDir += text::FromUtf8(level.string());
  }
  return out;
}

fs::path Relative(const ProgramFile& file) {
  return fs::path(text::ToUtf8(file.localDir)) / fs::path(text::ToUtf8(file.name));
}

}  // namespace

bool ListedBefore(const ProgramFile& a, const ProgramFile& b) { return Relative(a) < Relative(b); }

bool ListProgramFiles(const std::string& directory, std::vector<ProgramFile>& files, text::WString& error) {
  std::error_code ec;
  fs::path top(directory);
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
