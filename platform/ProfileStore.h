// Per-user remembered values. On Linux one group of a key file ($XDG_CONFIG_HOME/<corp>/<app>.ini):
// numbers as 32-bit values in decimal, byte blocks as hex text; the file is written only by
// Save, atomically. On Windows a subkey of HKEY_CURRENT_USER\Software\<corp>\<app>: REG_DWORD,
// REG_SZ and REG_BINARY values, written by Save. Reads of absent or damaged values give nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class ProfileStore {
 public:
  enum class FileState { kMissing, kLoaded, kDamaged };

  // `path` is where the values live (a file on Linux, a key under HKEY_CURRENT_USER on
  // Windows); `group` the section of it (a key file group, a subkey).
  ProfileStore(std::string path, std::string group);

  // The path of a program's values under the brand word `corp`, empty when unknown.
  static std::string PathFor(const std::string& corp, const std::string& app);
  ~ProfileStore();
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // Reads the values. A missing file or key is an empty store; one that cannot be read or
  // parsed, or is larger than kMaxProfileBytes, is kDamaged and is also treated as empty.
  FileState Load();
  static constexpr size_t kMaxProfileBytes = 1 << 20;
  FileState State() const { return state_; }

  // Decimal value in the 32-bit range, negative ones as their two's-complement pattern.
  std::optional<uint32_t> GetDword(const char* key) const;
  std::optional<std::string> GetString(const char* key) const;  // UTF-8
  std::optional<std::string> GetBinary(const char* key) const;   // decoded hex

  void SetDword(const char* key, uint32_t value);
  void SetString(const char* key, const std::string& value);
  void SetBinary(const char* key, const std::string& bytes);

  // Writes the values (the whole file atomically, creating its directory, on Linux). A damaged
  // file found by Load is first kept aside as "<path>.damaged" so that nothing in it is lost.
  bool Save();

  const std::string& Path() const { return path_; }

  // The backend's copy of the values (a key file, the pending registry values).
  struct Values;
  struct ValuesDeleter {
    void operator()(Values* values) const;
  };

 private:
  std::string path_;
  std::string group_;
  std::unique_ptr<Values, ValuesDeleter> values_;
  FileState state_ = FileState::kMissing;
};

}  // namespace platform
