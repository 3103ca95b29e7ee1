// Reads a zip archive and writes one of its items to a chosen path, with the item's
// permissions and times.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "text/Text.h"
#include "updater/Crc32.h"

namespace updater {

enum class ArchiveResult {
  kOk,
  kBadArgument,  // also: no item with that index
  kCannotOpen,   // the archive cannot be opened, or the output cannot be created
  kWriteFailure,
  kCorrupt,
  kReadFailure,
  kPasswordRequired,
  kDecompressFailure,  // also: the data does not match the CRC stored with the item
  kTooLarge,           // the item holds more than the caller allows
};

class ArchiveReader {
 public:
  ArchiveReader();
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Fails when an archive is already open. Relative targets of ExtractItem resolve against the
  // current directory at this moment.
  ArchiveResult OpenArchive(text::WStringView path);
  // Writes item `index` to `target`; the item's stored name plays no part. A directory item
  // creates a directory at the target. The target is always a new file (whatever stood at its
  // name, a link included, is removed first, never followed). Inflating stops at maxBytes
  // (kTooLarge), and the data must match the item's stored CRC. `written` receives the size and
  // CRC of what was written. Callers that install files make that atomic themselves.
  ArchiveResult ExtractItem(int index, text::WStringView target, uint64_t maxBytes = UINT64_MAX,
                            Digest* written = nullptr);
  ArchiveResult CloseArchive();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace updater
