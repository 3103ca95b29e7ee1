// Reads a zip archive and writes one of its items to a chosen path, with the item's
// permissions and times.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "text/Text.h"

namespace updater {

enum class ArchiveResult {
  Ok,
  BadArgument,  // also: no item with that index
  CannotOpen,   // the archive cannot be opened, or the output cannot be created
  WriteFailure,
  Corrupt,
  ReadFailure,
  PasswordRequired,
  DecompressFailure,
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
  // creates a directory at the target. Extraction writes the target in place: callers that
  // install files make that atomic themselves.
  ArchiveResult ExtractItem(int index, text::WStringView target);
  ArchiveResult CloseArchive();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace updater
