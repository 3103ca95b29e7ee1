// Builds small zip archives for tests with minizip's writer, with full control over the fields
// the extractor translates (host system, external attributes, DOS time, local extra field).
#pragma once

#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <string>
#include <vector>

#include "updater/ZipFiles.h"

namespace testsupport {

inline constexpr unsigned kHostDos = 0;
inline constexpr unsigned kHostUnix = 3;

// DOS date and time in one value, as the zip headers store them.
inline uint32_t DosDateTime(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                            unsigned second) {
  uint32_t date = ((year - 1980) << 9) | (month << 5) | day;
  uint32_t time = (hour << 11) | (minute << 5) | (second / 2);
  return date << 16 | time;
}

struct ZipItem {
  std::string name;
  std::string data;
  unsigned host = kHostUnix;
  uint32_t external = 0100644u << 16;  // regular file, rw-r--r--
  uint32_t dosDate = DosDateTime(2020, 1, 2, 3, 4, 6);
  std::string localExtra;
  bool deflate = true;
};

inline ZipItem UnixFile(std::string name, std::string data, uint32_t mode = 0644) {
  ZipItem item;
  item.name = std::move(name);
  item.data = std::move(data);
  item.external = (0100000u | mode) << 16;
  return item;
}

// A "UT" extra block with modification and access time.
inline std::string ExtendedTimestamp(uint32_t modified, uint32_t accessed) {
  std::string block = "UT";
  block += char(9);
  block += char(0);
  block += char(3);
  for (uint32_t value : {modified, accessed}) {
    for (int shift = 0; shift < 32; shift += 8) block += char((value >> shift) & 0xFF);
  }
  return block;
}

inline bool WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
  zipFile zip = updater::CreateZip(path);
  if (!zip) return false;
  bool ok = true;
  for (const ZipItem& item : items) {
    zip_fileinfo info{};
    info.dosDate = item.dosDate;
    info.external_fa = item.external;
    int method = item.deflate ? Z_DEFLATED : 0;
    ok = ok && zipOpenNewFileInZip4_64(zip, item.name.c_str(), &info, item.localExtra.data(),
                                       static_cast<uInt>(item.localExtra.size()), nullptr, 0, nullptr, method,
                                       Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                       nullptr, 0, (item.host << 8) | 20, 0, 0) == ZIP_OK;
    ok = ok && zipWriteInFileInZip(zip, item.data.data(), static_cast<unsigned>(item.data.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// Changes the working directory for one test and restores it afterwards.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& path) {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) saved_ = buffer;
    changed_ = chdir(path.c_str()) == 0;
  }
  ~CurrentDirectory() {
    if (!saved_.empty()) (void)!chdir(saved_.c_str());
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;
  bool Changed() const { return changed_; }

 private:
  std::string saved_;
  bool changed_ = false;
};

}  // namespace testsupport
