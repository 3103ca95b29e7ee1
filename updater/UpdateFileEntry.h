// One file of an update list. Fields are byte strings in code page 936 exactly as the document
// holds them; the accessors decode them to UTF-16 for the procedure.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "text/Text.h"

namespace updater {

class UpdateList;

// Field limits in bytes of the stored text.
inline constexpr size_t kNameFieldLimit = 260;  // FileName, FilePath, CompressName, CompressPath
inline constexpr size_t kCrcFieldLimit = 16;    // FileCrc, CompressCrc
inline constexpr size_t kCommandLimit = 500;

// The stored values of one entry, used to build entries (the publisher) and to read them raw.
// An entry's status in a list or log; a log may hold other numbers, which count as fetched.
inline constexpr int32_t kEntryPending = 0;  // still to fetch
inline constexpr int32_t kEntryFetched = 1;  // downloaded, verified and unpacked

struct FileRecord {
  int32_t status = kEntryPending;
  std::string fileName;
  std::string filePath;  // levels separated by "\", empty for the program directory itself
  std::string fileCrc;
  int32_t fileLen = 0;
  bool zip = true;  // whether CompressType said exactly "zip"; every archive is handled as zip
  std::string compressName;
  std::string compressPath;
  std::string compressCrc;
  int32_t compressLen = 0;
  std::string command;  // carried and written back, never executed
  // "CompressHash": the archive's BLAKE2b-256 in hex; signed lists carry it for every file.
  // Inside File, where a reader that predates it looks only for the fields it knows.
  std::string compressHash;

  bool operator==(const FileRecord&) const = default;
};

class UpdateFileEntry {
 public:
  UpdateFileEntry(const UpdateList* owner, FileRecord record) : owner_(owner), record_(std::move(record)) {}

  const UpdateList* Owner() const { return owner_; }
  const FileRecord& Record() const { return record_; }

  int32_t Status() const { return record_.status; }
  void SetStatus(int32_t status) { record_.status = status; }

  text::WString FileName() const;
  text::WString FilePath() const;  // as stored, with "\" (see ListPaths.h for a local form)
  text::WString FileCrc() const;
  int32_t FileLen() const { return record_.fileLen; }
  bool IsZip() const { return record_.zip; }
  text::WString CompressName() const;
  text::WString CompressPath() const;
  text::WString CompressCrc() const;
  int32_t CompressLen() const { return record_.compressLen; }
  text::WString Command() const;
  const std::string& CompressHash() const { return record_.compressHash; }

 private:
  const UpdateList* owner_;
  FileRecord record_;
};

}  // namespace updater
