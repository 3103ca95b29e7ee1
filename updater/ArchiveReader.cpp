#include "updater/ArchiveReader.h"

#include <unzip.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "updater/ZipFiles.h"

namespace updater {
namespace {

constexpr size_t kOutputBufferSize = 16384;

// Hosts whose external attributes are DOS attribute bits; every other host is taken as Unix.
bool IsDosHost(unsigned host) { return host == 0 || host == 7 || host == 11 || host == 14; }

struct ItemAttributes {
  bool directory = false;
  unsigned mode = 0644;
};

ItemAttributes TranslateAttributes(uLong versionMadeBy, uLong external) {
  ItemAttributes out;
  unsigned host = (versionMadeBy >> 8) & 0xFF;
  if (IsDosHost(host)) {
    out.directory = (external & 0x10) != 0;
    // Read-only clears every write bit; hidden, system and archive have no meaning here.
    out.mode = (external & 0x01) ? 0444 : 0644;
    return out;
  }
  out.directory = (external & 0x40000000u) != 0;
  unsigned bits = static_cast<unsigned>((external >> 16) & 0777);
  // Some writers mark Unix but store no permissions; such an item gets the usual default.
  out.mode = bits != 0 ? bits : 0644;
  return out;
}

// Zip times are local calendar times, two-second resolution.
int64_t DosTimeToUtc(uLong dosDateTime) {
  uLong date = dosDateTime >> 16;
  uLong time = dosDateTime & 0xFFFF;
  std::tm calendar{};
  calendar.tm_year = static_cast<int>(1980 + ((date >> 9) & 0x7F)) - 1900;
  calendar.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  calendar.tm_mday = static_cast<int>(date & 0x1F);
  calendar.tm_hour = static_cast<int>((time >> 11) & 0x1F);
  calendar.tm_min = static_cast<int>((time >> 5) & 0x3F);
  calendar.tm_sec = static_cast<int>(2 * (time & 0x1F));
  calendar.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&calendar));
}

uint32_t ReadLe32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct ItemTimes {  // seconds since 1970 UTC
  int64_t access;
  int64_t modify;
};

// Applies the extended timestamp block ("UT") of a local extra field. Every read is bounded by
// the block and the field: the field comes from the archive and may lie about its sizes.
void ApplyExtendedTimestamp(const std::vector<unsigned char>& extra, ItemTimes& times) {
  size_t pos = 0;
  while (pos < extra.size() && extra.size() - pos > 4) {
    size_t blockSize = size_t(extra[pos + 2]) | size_t(extra[pos + 3]) << 8;
    if (extra[pos] != 'U' || extra[pos + 1] != 'T') {
      pos += 4 + blockSize;
      continue;
    }
    size_t end = std::min(extra.size(), pos + 4 + blockSize);
    size_t at = pos + 4;
    if (at >= end) return;
    unsigned flags = extra[at++];
    if ((flags & 1) && end - at >= 4) {
      times.modify = static_cast<int32_t>(ReadLe32(&extra[at]));
      at += 4;
    }
    if ((flags & 2) && end - at >= 4) {
      times.access = static_cast<int32_t>(ReadLe32(&extra[at]));
    }
    return;  // creation time has no counterpart to set here
  }
}

ArchiveResult FromUnzipError(int error) {
  switch (error) {
    case UNZ_OK: return ArchiveResult::kOk;
    case UNZ_PARAMERROR: return ArchiveResult::kBadArgument;
    case UNZ_ERRNO: return ArchiveResult::kReadFailure;
    default: return ArchiveResult::kCorrupt;
  }
}

// Creates every level of an absolute directory path; existing levels are skipped.
void CreateLevels(const std::string& directory) {
  for (size_t slash = directory.find_first_of(platform::kPathSeparators, 1);;
       slash = directory.find_first_of(platform::kPathSeparators, slash + 1)) {
    std::string level = directory.substr(0, slash);
    if (!level.empty() && platform::KindOf(level) == platform::PathKind::kMissing) {
      platform::CreateDirectory(text::FromUtf8(level));
    }
    if (slash == std::string::npos) return;
  }
}

}  // namespace

struct ArchiveReader::Impl {
  unzFile archive = nullptr;
  uint64_t itemCount = 0;
  bool itemOpen = false;
  std::string root;  // current directory when opened, with a trailing separator
  std::vector<char> buffer;

  // False when the item was read to its end and its data does not match the stored CRC.
  bool CloseItem() {
    const bool ok = !itemOpen || unzCloseCurrentFile(archive) != UNZ_CRCERROR;
    itemOpen = false;
    return ok;
  }

  std::string Resolve(text::WStringView target) const {
    std::string path = text::ToUtf8(target);
    return platform::IsAbsolutePath(target) ? path : root + path;
  }

  ArchiveResult PositionOn(int index, unz_file_info64& info) {
    int error = unzGoToFirstFile(archive);
    for (int i = 0; i < index && error == UNZ_OK; ++i) error = unzGoToNextFile(archive);
    if (error == UNZ_OK) error = unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0);
    return FromUnzipError(error);
  }

  std::vector<unsigned char> LocalExtraField() {
    int size = unzGetLocalExtrafield(archive, nullptr, 0);
    if (size <= 0) return {};
    std::vector<unsigned char> extra(static_cast<size_t>(size));
    int read = unzGetLocalExtrafield(archive, extra.data(), static_cast<unsigned>(size));
    extra.resize(read > 0 ? static_cast<size_t>(read) : 0);
    return extra;
  }

  // The unzip layer keeps the CRC of what it inflates and compares it with the stored one at the
  // end; when they agree, the stored CRC is the CRC of what was written.
  ArchiveResult CopyItem(platform::NewFile& out, uint64_t maxBytes, uLong storedCrc, Digest& written) {
    if (buffer.empty()) buffer.resize(kOutputBufferSize);
    written = Digest{};
    while (true) {
      // Never more than one byte past the limit is asked for, so a bomb cannot fill the disk.
      const uint64_t room = maxBytes - written.size;
      const unsigned want = static_cast<unsigned>(room >= buffer.size() ? buffer.size() : room + 1);
      int n = unzReadCurrentFile(archive, buffer.data(), want);
      if (n < 0) return ArchiveResult::kDecompressFailure;
      if (n == 0) {
        written.crc = static_cast<uint32_t>(storedCrc);
        if (!unzeof(archive)) return ArchiveResult::kDecompressFailure;
        return CloseItem() ? ArchiveResult::kOk : ArchiveResult::kDecompressFailure;
      }
      if (static_cast<uint64_t>(n) > maxBytes - written.size) return ArchiveResult::kTooLarge;
      if (!out.Write(buffer.data(), static_cast<size_t>(n))) return ArchiveResult::kWriteFailure;
      written.size += static_cast<uint64_t>(n);
    }
  }

  ArchiveResult ExtractFile(const std::string& path, const unz_file_info64& info, const ItemAttributes& attributes,
                            uint64_t maxBytes, Digest& written) {
    if (info.flag & 1) return ArchiveResult::kPasswordRequired;
    if (info.uncompressed_size > maxBytes) return ArchiveResult::kTooLarge;
    size_t slash = path.find_last_of(platform::kPathSeparators);
    if (slash != std::string::npos && slash > 0) CreateLevels(path.substr(0, slash));
    platform::NewFile out;
    if (!out.Create(path, 0600)) return ArchiveResult::kCannotOpen;
    int error = unzOpenCurrentFile(archive);
    if (error != UNZ_OK) return FromUnzipError(error);
    itemOpen = true;
    ItemTimes times{DosTimeToUtc(info.dosDate), DosTimeToUtc(info.dosDate)};
    ApplyExtendedTimestamp(LocalExtraField(), times);
    ArchiveResult result = CopyItem(out, maxBytes, info.crc, written);
    if (result == ArchiveResult::kOk) out.Finish(attributes.mode, times.access, times.modify);
    return result;
  }
};

ArchiveReader::ArchiveReader() : impl_(std::make_unique<Impl>()) {}

ArchiveReader::~ArchiveReader() { CloseArchive(); }

ArchiveResult ArchiveReader::OpenArchive(text::WStringView path) {
  if (impl_->archive) return ArchiveResult::kBadArgument;
  impl_->root = platform::CurrentDirectoryPath();
  if (impl_->root.empty() || impl_->root.find_last_of(platform::kPathSeparators) != impl_->root.size() - 1) {
    impl_->root += '/';
  }
  impl_->archive = OpenZipForReading(text::ToUtf8(path));
  if (!impl_->archive) return ArchiveResult::kCannotOpen;
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(impl_->archive, &global) != UNZ_OK) {
    CloseArchive();
    return ArchiveResult::kCannotOpen;
  }
  impl_->itemCount = global.number_entry;
  return ArchiveResult::kOk;
}

ArchiveResult ArchiveReader::ExtractItem(int index, text::WStringView target, uint64_t maxBytes, Digest* written) {
  if (!impl_->archive) return ArchiveResult::kBadArgument;
  impl_->CloseItem();
  if (index < 0 || static_cast<uint64_t>(index) >= impl_->itemCount || target.empty()) return ArchiveResult::kBadArgument;
  unz_file_info64 info{};
  ArchiveResult result = impl_->PositionOn(index, info);
  if (result != ArchiveResult::kOk) return result;
  ItemAttributes attributes = TranslateAttributes(info.version, info.external_fa);
  std::string path = impl_->Resolve(target);
  if (attributes.directory) {
    CreateLevels(path);
    return ArchiveResult::kOk;
  }
  Digest digest;
  result = impl_->ExtractFile(path, info, attributes, maxBytes, digest);
  impl_->CloseItem();
  if (written) *written = digest;
  return result;
}

ArchiveResult ArchiveReader::CloseArchive() {
  if (!impl_->archive) return ArchiveResult::kBadArgument;
  impl_->CloseItem();
  unzClose(impl_->archive);
  impl_->archive = nullptr;
  impl_->itemCount = 0;
  return ArchiveResult::kOk;
}

}  // namespace updater
