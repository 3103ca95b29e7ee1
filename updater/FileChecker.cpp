#include "updater/FileChecker.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "updater/ArchiveReader.h"
#include "updater/Crc32.h"

namespace updater {
namespace {

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
  ~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

class ReadOnlyMapping {
 public:
  ReadOnlyMapping(int fd, size_t length)
      : length_(length), data_(::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0)) {}
  ~ReadOnlyMapping() {
    if (data_ != MAP_FAILED) ::munmap(data_, length_);
  }
  ReadOnlyMapping(const ReadOnlyMapping&) = delete;
  ReadOnlyMapping& operator=(const ReadOnlyMapping&) = delete;
  bool IsMapped() const { return data_ != MAP_FAILED; }
  const void* data() const { return data_; }

 private:
  size_t length_;
  void* data_;
};

}  // namespace

bool FileChecker::MeasureFile(text::WStringView path) {
  size_ = 0;
  crcText_.clear();
  path_ = text::WString(path);
  ReadOnlyFile file(text::ToUtf8(path));
  struct stat st;
  if (file.fd() < 0 || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size_ = static_cast<uint32_t>(st.st_size);
  // Nothing to map in an empty file; its CRC is that of no data.
  if (st.st_size == 0) {
    crcText_ = updater::CrcText(0);
    return true;
  }
  ReadOnlyMapping mapping(file.fd(), static_cast<size_t>(st.st_size));
  if (!mapping.IsMapped()) return false;
  crcText_ = updater::CrcText(Crc32(mapping.data(), static_cast<size_t>(st.st_size)));
  return true;
}

bool FileChecker::UnpackMeasured(uint64_t maxBytes) {
  size_t dot = path_.rfind(u'.');
  if (path_.empty() || dot == text::WString::npos || dot == 0) return false;
  text::WString target = path_.substr(0, dot);
  ::unlink(text::ToUtf8(target).c_str());
  ArchiveReader reader;
  if (reader.OpenArchive(path_) != ArchiveResult::Ok) return false;
  bool extracted = reader.ExtractItem(0, target, maxBytes) == ArchiveResult::Ok;
  reader.CloseArchive();
  return extracted;
}

}  // namespace updater
