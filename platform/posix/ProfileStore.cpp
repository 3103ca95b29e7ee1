#include "platform/ProfileStore.h"

#include <glib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/FileRead.h"
#include "platform/Paths.h"

namespace platform {

using text::WString;

namespace {

GKeyFile* AsKeyFile(const std::unique_ptr<ProfileStore::Values, ProfileStore::ValuesDeleter>& p) {
  return reinterpret_cast<GKeyFile*>(p.get());
}

ProfileStore::Values* NewKeyFile() { return reinterpret_cast<ProfileStore::Values*>(g_key_file_new()); }

// Hand-written parse so that values out of the 32-bit range or with trailing junk count as
// damaged instead of being clamped.
std::optional<uint32_t> ParseDword(const std::string& s) {
  if (s.empty() || s.size() > 16) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || end == s.c_str() || *end != '\0') return std::nullopt;
  if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) return std::nullopt;
  return static_cast<uint32_t>(v);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> DecodeHex(const std::string& hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<char>(hi * 16 + lo));
  }
  return out;
}

std::string EncodeHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

}  // namespace

// The key file itself stands for the values: Values is never defined on Linux.
void ProfileStore::ValuesDeleter::operator()(Values* values) const {
  if (values) g_key_file_free(reinterpret_cast<GKeyFile*>(values));
}

ProfileStore::ProfileStore(std::string path, std::string group)
    : path_(std::move(path)), group_(std::move(group)), values_(NewKeyFile()) {}

std::string ProfileStore::PathFor(const std::string& corp, const std::string& app) {
  WString root = ConfigRoot();
  if (root.empty() || app.empty()) return {};
  return text::ToUtf8(root) + "/" + corp + "/" + app + ".ini";
}

ProfileStore::~ProfileStore() = default;

// Read without blocking and up to a cap: the lobby loads its values on its main loop, where a
// pipe or a device at the profile's name must not stall it.
ProfileStore::FileState ProfileStore::Load() {
  values_.reset(NewKeyFile());
  std::optional<std::string> bytes = ReadRegularFile(path_, kMaxProfileBytes);
  GError* error = nullptr;
  if (bytes && g_key_file_load_from_data(AsKeyFile(values_), bytes->data(), bytes->size(),
                                         G_KEY_FILE_KEEP_COMMENTS, &error)) {
    state_ = FileState::kLoaded;
    return state_;
  }
  if (error) g_error_free(error);
  const bool missing = !bytes && !g_file_test(path_.c_str(), G_FILE_TEST_EXISTS) &&
                       !g_file_test(path_.c_str(), G_FILE_TEST_IS_SYMLINK);
  values_.reset(NewKeyFile());  // a half-read file must not leak partial values
  state_ = missing ? FileState::kMissing : FileState::kDamaged;
  return state_;
}

static std::optional<std::string> RawValue(GKeyFile* file, const std::string& group, const char* key) {
  gchar* value = g_key_file_get_string(file, group.c_str(), key, nullptr);
  if (!value) return std::nullopt;
  std::string out(value);
  g_free(value);
  return out;
}

std::optional<uint32_t> ProfileStore::GetDword(const char* key) const {
  auto raw = RawValue(AsKeyFile(values_), group_, key);
  return raw ? ParseDword(*raw) : std::nullopt;
}

std::optional<std::string> ProfileStore::GetString(const char* key) const {
  return RawValue(AsKeyFile(values_), group_, key);
}

std::optional<std::string> ProfileStore::GetBinary(const char* key) const {
  auto raw = RawValue(AsKeyFile(values_), group_, key);
  return raw ? DecodeHex(*raw) : std::nullopt;
}

void ProfileStore::SetDword(const char* key, uint32_t value) {
  g_key_file_set_uint64(AsKeyFile(values_), group_.c_str(), key, value);
}

void ProfileStore::SetString(const char* key, const std::string& value) {
  g_key_file_set_string(AsKeyFile(values_), group_.c_str(), key, value.c_str());
}

void ProfileStore::SetBinary(const char* key, const std::string& bytes) {
  g_key_file_set_string(AsKeyFile(values_), group_.c_str(), key, EncodeHex(bytes).c_str());
}

bool ProfileStore::Save() {
  gchar* dir = g_path_get_dirname(path_.c_str());
  g_mkdir_with_parents(dir, 0700);
  g_free(dir);
  if (state_ == FileState::kDamaged) {
    std::string aside = path_ + ".damaged";
    if (std::rename(path_.c_str(), aside.c_str()) != 0 && errno != ENOENT) return false;
  }
  // g_key_file_save_to_file writes a temporary file and renames it over the old one.
  if (!g_key_file_save_to_file(AsKeyFile(values_), path_.c_str(), nullptr)) return false;
  state_ = FileState::kLoaded;
  return true;
}

}  // namespace platform
