#include "tests/support/Recorder.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Paths.h"

namespace testsupport {

std::string RecorderProgram() { return TEST_RECORDER; }

bool InstallRecorder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  return std::filesystem::copy_file(RecorderProgram(), path + platform::kExeSuffix,
                                    std::filesystem::copy_options::overwrite_existing, ec);
}

std::vector<std::string> WaitForRecord(const std::string& path) {
  // A record always holds at least the working directory and argv[0]; until it can be read
  // whole, keep waiting: a program started on a busy machine (or under Wine) may take seconds.
  std::vector<std::string> lines;
  for (int i = 0; i < 2000 && lines.size() < 2; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines.clear();
    std::ifstream in(path + ".record");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  return lines;
}

}  // namespace testsupport
