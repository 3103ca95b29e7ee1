#include "updater/FileChecker.h"

#include "platform/FileSystem.h"
#include "updater/ArchiveReader.h"
#include "updater/Crc32.h"

namespace updater {

bool FileChecker::MeasureFile(text::WStringView path) {
  size_ = 0;
  crcText_.clear();
  path_ = text::WString(path);
  platform::FileMapping mapping;
  if (!mapping.Map(text::ToUtf8(path))) return false;
  size_ = static_cast<uint32_t>(mapping.Size());
  // An empty file maps as no data; its CRC is that of no data.
  crcText_ = updater::CrcText(mapping.Size() == 0 ? 0 : Crc32(mapping.Data(), static_cast<size_t>(mapping.Size())));
  return true;
}

bool FileChecker::UnpackMeasured(uint64_t maxBytes) {
  size_t dot = path_.rfind(u'.');
  if (path_.empty() || dot == text::WString::npos || dot == 0) return false;
  text::WString target = path_.substr(0, dot);
  platform::RemoveFile(text::ToUtf8(target));
  ArchiveReader reader;
  if (reader.OpenArchive(path_) != ArchiveResult::Ok) return false;
  bool extracted = reader.ExtractItem(0, target, maxBytes) == ArchiveResult::Ok;
  reader.CloseArchive();
  return extracted;
}

}  // namespace updater
