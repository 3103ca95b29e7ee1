// Size and CRC-32 text of a file, read in blocks through one reusable buffer. Used where many
// files are measured in a row: unmapping a file per measurement costs more than reading it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/Text.h"

namespace updater {

class FileDigest {
 public:
  // False when the file cannot be opened or read; size and CRC text are then 0 and empty.
  bool Measure(const std::string& path);
  // True when the file has exactly this size and CRC text (compared case-sensitively). A file of
  // another size is rejected without reading it.
  bool Matches(const std::string& path, int32_t size, text::WStringView crcText);

  uint32_t Size() const { return size_; }  // low 32 bits, as the list records sizes
  const text::WString& CrcText() const { return crcText_; }

 private:
  std::vector<unsigned char> buffer_;
  uint32_t size_ = 0;
  text::WString crcText_;
};

// One file to compare with the size and CRC text a list expects.
struct ExpectedFile {
  std::string path;
  int32_t size = 0;
  text::WString crcText;
};

// Matches every file, spread over a few threads (files are independent, and the disk and the
// CRC both keep up with more than one reader). Element i is true when file i matches.
std::vector<bool> MatchAll(const std::vector<ExpectedFile>& files);

}  // namespace updater
