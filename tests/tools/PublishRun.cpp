#include "tests/tools/PublishRun.h"

#include <filesystem>

#include "platform/FileSystem.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace publishtest {

namespace fs = std::filesystem;

RunResult RunPublisher(const std::vector<std::string>& args, const std::string& scratch) {
  const std::string outPath = scratch + "/stdout", errPath = scratch + "/stderr";
  RunResult result;
  result.exitCode = testsupport::RunProgram(ZEMBA_PUBLISH_EXE, args, outPath, errPath);
  result.out = testsupport::ReadFileBytes(outPath);
  result.err = testsupport::ReadFileBytes(errPath);
  return result;
}

namespace {

std::string Relative(const fs::path& path, const fs::path& top) {
  return text::ToUtf8(text::WString(fs::relative(path, top).generic_u16string()));
}

}  // namespace

std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  const fs::path top = platform::FsPath(root);
  for (const auto& entry : fs::recursive_directory_iterator(top)) {
    if (!entry.is_regular_file()) continue;
    tree[Relative(entry.path(), top)] = testsupport::ReadFileBytes(platform::Utf8Path(entry.path()));
  }
  return tree;
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> snapshot;
  const fs::path top = platform::FsPath(root);
  // The directory's own time changes when a name in it comes or goes.
  snapshot["."] = std::to_string(fs::last_write_time(top).time_since_epoch().count());
  for (const auto& entry : fs::recursive_directory_iterator(top)) {
    const fs::file_status status = entry.symlink_status();
    std::string facts = std::to_string(static_cast<int>(status.type())) + " " +
                        std::to_string(entry.last_write_time().time_since_epoch().count());
    if (fs::is_regular_file(status)) {
      facts += " " + std::to_string(entry.file_size()) + " " + testsupport::ReadFileBytes(platform::Utf8Path(entry.path()));
    }
    snapshot[Relative(entry.path(), top)] = facts;
  }
  return snapshot;
}

std::string VersionDocument(const std::string& name, const std::string& version) {
  return "<?xml version=\"1.0\" encoding=\"gbk\" standalone=\"yes\" ?>\n"
         "<UpdateConfig version=\"1.0\">\n"
         "    <Software version=\"" + version + "\">" + name + "</Software>\n"
         "</UpdateConfig>\n";
}

}  // namespace publishtest
