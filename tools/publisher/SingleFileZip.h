// Writes a zip archive holding exactly one file, the form every file of an update travels in.
#pragma once

#include <ctime>
#include <string>

namespace publisher {

struct ZipItemSource {
  std::string storedName;  // name bytes inside the archive (the reader ignores them)
  std::string data;
  time_t modified = 0;     // written as DOS local time and as an exact UTC timestamp
  unsigned mode = 0644;    // permission bits, kept so executables stay executable
};

// Creates or replaces the archive. False when it cannot be written.
bool WriteSingleFileZip(const std::string& zipPath, const ZipItemSource& item);

}  // namespace publisher
