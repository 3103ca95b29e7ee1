#include "tools/publisher/Scratch.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "platform/FileSystem.h"

namespace publisher {
namespace {

// Tries fresh random names in the temporary directory until `make` takes one.
template <typename Make>
std::string FirstFreeName(Make make) {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return {};
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = platform::Utf8Path(base / ("zemba-publish-" + std::to_string(random())));
    if (make(candidate)) return candidate;
  }
  return {};
}

}  // namespace

ScratchFile::ScratchFile()
    : path_(FirstFreeName([](const std::string& candidate) {
        platform::NewFile file;
        return file.CreateOnly(candidate, 0600);
      })) {}

ScratchFile::~ScratchFile() {
  if (!path_.empty()) platform::RemoveFile(path_);
}

ScratchDir::ScratchDir()
    : path_(FirstFreeName([](const std::string& candidate) {
        std::error_code ec;
        return std::filesystem::create_directory(platform::FsPath(candidate), ec) && !ec;
      })) {}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(platform::FsPath(path_), ec);
}

}  // namespace publisher
