#include "platform/ProfileStore.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <variant>

#include "platform/win32/Wide.h"

namespace platform {

namespace {

using Value = std::variant<uint32_t, std::wstring, std::string>;  // DWORD, SZ, BINARY

// Owns one open registry key.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  LSTATUS Open(const std::wstring& path) { return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_); }
  LSTATUS Create(const std::wstring& path) {
    return RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key_, nullptr);
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Reads the index-th value; false past the last one. A value of another type leaves `value`
// empty: it reads as absent.
bool ReadValue(HKEY key, DWORD index, std::wstring& name, std::optional<Value>& value) {
  wchar_t nameBuf[16384];
  DWORD nameLen = 16384, type = 0, size = 0;
  value.reset();
  if (RegEnumValueW(key, index, nameBuf, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  name.assign(nameBuf, nameLen);
  std::string data(size, '\0');
  nameLen = 16384;
  if (RegEnumValueW(key, index, nameBuf, &nameLen, nullptr, &type,
                    reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return true;
  }
  data.resize(size);
  if (type == REG_DWORD && size == 4) {
    uint32_t dword = 0;
    std::memcpy(&dword, data.data(), 4);
    value = dword;
  } else if (type == REG_BINARY) {
    value = data;
  } else if (type == REG_SZ) {
    std::wstring s(size / sizeof(wchar_t), L'\0');
    std::memcpy(s.data(), data.data(), s.size() * sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    value = s;
  }
  return true;
}

}  // namespace

// The values as read, plus what was set since; Save writes the set ones.
struct ProfileStore::Values {
  std::map<std::wstring, Value> read;
  std::map<std::wstring, Value> written;

  const Value* Find(const char* key) const {
    std::wstring name = detail::Wide(std::string(key));
    auto it = written.find(name);
    if (it != written.end()) return &it->second;
    it = read.find(name);
    return it != read.end() ? &it->second : nullptr;
  }
};

void ProfileStore::ValuesDeleter::operator()(Values* values) const { delete values; }

ProfileStore::ProfileStore(std::string path, std::string group)
    : path_(std::move(path)), group_(std::move(group)), values_(new Values) {}

ProfileStore::~ProfileStore() = default;

std::string ProfileStore::PathFor(const std::string& corp, const std::string& app) {
  return app.empty() ? std::string() : "Software\\" + corp + "\\" + app;
}

ProfileStore::FileState ProfileStore::Load() {
  values_.reset(new Values);
  Key key;
  LSTATUS rc = key.Open(detail::Wide(path_ + "\\" + group_));
  if (rc != ERROR_SUCCESS) {
    state_ = rc == ERROR_FILE_NOT_FOUND ? FileState::kMissing : FileState::kDamaged;
    return state_;
  }
  std::wstring name;
  std::optional<Value> value;
  for (DWORD i = 0; ReadValue(key.get(), i, name, value); ++i) {
    if (value) values_->read[name] = std::move(*value);
  }
  state_ = FileState::kLoaded;
  return state_;
}

std::optional<uint32_t> ProfileStore::GetDword(const char* key) const {
  const Value* v = values_->Find(key);
  if (!v || !std::holds_alternative<uint32_t>(*v)) return std::nullopt;
  return std::get<uint32_t>(*v);
}

std::optional<std::string> ProfileStore::GetString(const char* key) const {
  const Value* v = values_->Find(key);
  if (!v || !std::holds_alternative<std::wstring>(*v)) return std::nullopt;
  return detail::Utf8(std::get<std::wstring>(*v));
}

std::optional<std::string> ProfileStore::GetBinary(const char* key) const {
  const Value* v = values_->Find(key);
  if (!v || !std::holds_alternative<std::string>(*v)) return std::nullopt;
  return std::get<std::string>(*v);
}

void ProfileStore::SetDword(const char* key, uint32_t value) {
  values_->written[detail::Wide(std::string(key))] = value;
}

void ProfileStore::SetString(const char* key, const std::string& value) {
  values_->written[detail::Wide(std::string(key))] = detail::Wide(value);
}

void ProfileStore::SetBinary(const char* key, const std::string& bytes) {
  values_->written[detail::Wide(std::string(key))] = bytes;
}

bool ProfileStore::Save() {
  Key key;
  if (key.Create(detail::Wide(path_ + "\\" + group_)) != ERROR_SUCCESS) return false;
  bool ok = true;
  for (const auto& [name, value] : values_->written) {
    LSTATUS rc = ERROR_SUCCESS;
    if (const auto* dword = std::get_if<uint32_t>(&value)) {
      rc = RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(dword), 4);
    } else if (const auto* text = std::get_if<std::wstring>(&value)) {
      rc = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                          static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
    } else {
      const auto& bytes = std::get<std::string>(value);
      rc = RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY,
                          reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    }
    ok = ok && rc == ERROR_SUCCESS;
  }
  if (ok) state_ = FileState::kLoaded;
  return ok;
}

}  // namespace platform
