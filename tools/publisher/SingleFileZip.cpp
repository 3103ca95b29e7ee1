#include "tools/publisher/SingleFileZip.h"

#include <zip.h>

#include <cstdint>

#include "updater/ZipFiles.h"

namespace publisher {
namespace {

constexpr unsigned kHostUnix = 3;
constexpr unsigned kZipSpecVersion = 20;

uint32_t DosDateTime(time_t when) {
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  // DOS dates start in 1980 and end in 2107; clamp rather than wrap.
  if (local.tm_year < 80) return (1u << 5 | 1u) << 16;
  if (local.tm_year > 207) {
    local.tm_year = 207;
    local.tm_mon = 11;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 59;
  }
  uint32_t date = uint32_t(local.tm_year - 80) << 9 | uint32_t(local.tm_mon + 1) << 5 | uint32_t(local.tm_mday);
  uint32_t time = uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
  return date << 16 | time;
}

// Extended timestamp block holding the modification time in UTC seconds.
std::string ExtendedTimestamp(time_t modified) {
  uint32_t seconds = static_cast<uint32_t>(modified);
  std::string block = {'U', 'T', 5, 0, 1};
  for (int shift = 0; shift < 32; shift += 8) block += static_cast<char>((seconds >> shift) & 0xFF);
  return block;
}

}  // namespace

bool WriteSingleFileZip(const std::string& zipPath, const ZipItemSource& item) {
  zipFile zip = updater::CreateZip(zipPath);
  if (!zip) return false;
  zip_fileinfo info{};
  info.dosDate = DosDateTime(item.modified);
  info.external_fa = (0100000u | (item.mode & 0777)) << 16;  // regular file with its permissions
  std::string extra = ExtendedTimestamp(item.modified);
  bool ok = zipOpenNewFileInZip4_64(zip, item.storedName.c_str(), &info, extra.data(), uInt(extra.size()),
                                    extra.data(), uInt(extra.size()), nullptr, Z_DEFLATED, Z_BEST_COMPRESSION, 0,
                                    -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                    kHostUnix << 8 | kZipSpecVersion, 0, 0) == ZIP_OK;
  ok = ok && zipWriteInFileInZip(zip, item.data.data(), unsigned(item.data.size())) == ZIP_OK;
  ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

}  // namespace publisher
