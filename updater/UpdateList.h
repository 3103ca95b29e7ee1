// The "UpdateConfig" document: a program version and the files that make it up. Used for the
// downloaded file list, the resume log and its error copy.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "text/Text.h"
#include "updater/UpdateFileEntry.h"

namespace updater {

inline constexpr size_t kVersionLimit = 32;  // also the limit of the Software name
inline constexpr size_t kDirectoryLimit = 260;
inline constexpr size_t kUrlLimit = 500;

class UpdateList {
 public:
  UpdateList() = default;
  UpdateList(const UpdateList&) = delete;
  UpdateList& operator=(const UpdateList&) = delete;

  // Adds the document's Software fields and entries to the list. A missing or malformed file
  // leaves the list unchanged; an invalid entry (a missing field, an over-long value, or a
  // FileName/FilePath that could reach outside its directory) empties the whole list.
  bool Load(text::WStringView path);
  // Writes the whole list as a new document (declared "gbk"). The file at `path` is replaced
  // only by a complete, flushed new one: a failed save (a full disk) leaves the old file.
  bool Save(text::WStringView path) const;
  // The document as Save writes it.
  std::string Print() const;
  void Clear();

  // Stores the version as code page 936; false when it cannot be encoded or exceeds 32 bytes.
  bool SetVersion(text::WStringView version);
  text::WString Version() const;
  // Program name of the Software element; same rules as the version.
  bool SetName(text::WStringView name);
  text::WString Name() const;
  int32_t SoftwareStatus() const { return status_; }
  // "signed" of Software: when the publisher signed the list, in seconds since 1970 (decimal);
  // empty when unsigned. Readers that predate it ignore the attribute.
  const std::string& SignedTime() const { return signedTime_; }
  bool SetSignedTime(const std::string& seconds);
  // "list" of Software, in resume logs only: the hash of the signed list archive the log was
  // made from, so a resumed run can tell that the log belongs to the list it just verified.
  const std::string& ListHash() const { return listHash_; }
  bool SetListHash(const std::string& hash);

  // Appends an entry (the publisher builds lists this way). Null when a field breaks its limit
  // or the paths are unsafe, as Load would reject them.
  UpdateFileEntry* Add(FileRecord record);

  // Iteration in document order with one shared cursor. Removing the entry just returned is
  // safe: the cursor has already moved past it.
  UpdateFileEntry* First();
  UpdateFileEntry* Next();
  // Deletes the entry in constant time; false when it belongs to another list.
  bool Remove(UpdateFileEntry* entry);

  // Sum of CompressLen over all entries whatever their status; 64 bits so it cannot overflow.
  int64_t TotalArchiveSize() const;
  uint32_t Count() const { return static_cast<uint32_t>(entries_.size()); }

 private:
  using Entries = std::list<std::unique_ptr<UpdateFileEntry>>;

  int32_t status_ = 0;
  std::string name_;
  std::string version_;
  std::string programDir_;
  std::string downloadDir_;
  std::string url_;
  std::string signedTime_;
  std::string listHash_;
  void Append(std::unique_ptr<UpdateFileEntry> entry);

  Entries entries_;
  std::unordered_map<const UpdateFileEntry*, Entries::iterator> positions_;
  Entries::iterator cursor_ = entries_.end();

  friend struct UpdateListIo;
};

}  // namespace updater
