// Per-user remembered values: one group of a key file ($XDG_CONFIG_HOME/Zemba/<app>.ini).
// Numbers are stored as 32-bit values in decimal, byte blocks as hex text. Reads of absent or
// damaged values give nothing; the file is written only by Save, atomically.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class ProfileStore {
 public:
  enum class FileState { kMissing, kLoaded, kDamaged };

  ProfileStore(std::string path, std::string group);
  ~ProfileStore();
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // Reads the file. A missing file is an empty store; a file that cannot be read or parsed is
  // kDamaged and is also treated as empty.
  FileState Load();
  FileState State() const { return state_; }

  // Decimal value in the 32-bit range, negative ones as their two's-complement pattern.
  std::optional<uint32_t> GetDword(const char* key) const;
  std::optional<std::string> GetString(const char* key) const;  // UTF-8
  std::optional<std::string> GetBinary(const char* key) const;   // decoded hex

  void SetDword(const char* key, uint32_t value);
  void SetString(const char* key, const std::string& value);
  void SetBinary(const char* key, const std::string& bytes);

  // Writes the whole file atomically, creating its directory. A damaged file found by Load is
  // first kept aside as "<path>.damaged" so that nothing in it is lost.
  bool Save();

  const std::string& Path() const { return path_; }

  struct KeyFileDeleter {
    void operator()(void* file) const;
  };

 private:
  std::optional<std::string> RawValue(const char* key) const;

  std::string path_;
  std::string group_;
  std::unique_ptr<void, KeyFileDeleter> file_;
  FileState state_ = FileState::kMissing;
};

}  // namespace platform
