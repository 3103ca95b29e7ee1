// Measures a file (size and CRC-32 text) and unpacks a measured archive beside itself.
// One per worker.
#pragma once

#include <cstdint>

#include "text/Text.h"

namespace updater {

class FileChecker {
 public:
  // Resets size and CRC text, remembers the path, and measures the file through a read-only
  // mapping. False when the file cannot be opened or mapped. An empty file measures as size 0
  // with CRC text "0", so empty files in a list can be verified like any other.
  bool MeasureFile(text::WStringView path);

  uint32_t Size() const { return size_; }  // low 32 bits of the file size
  const text::WString& CrcText() const { return crcText_; }
  const text::WString& Path() const { return path_; }

  // Unpacks the first item of the measured archive to the measured path without its last
  // extension ("x/UpdateList.xml.zip" -> "x/UpdateList.xml"). A target that exists is deleted
  // first. False without a measured path, without a ".", when extraction fails, or when the
  // item holds more than maxBytes or does not match its stored CRC.
  bool UnpackMeasured(uint64_t maxBytes = UINT64_MAX);

 private:
  uint32_t size_ = 0;
  text::WString path_;
  text::WString crcText_;
};

}  // namespace updater
