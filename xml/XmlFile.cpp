// Reading a text file of any encoding into an XmlDocument.
#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>
#elif defined(__unix__)
#include <unistd.h>
#else
#error "XmlFile.cpp: no file reading for this platform"
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "text/CodePage.h"
#include "xml/XmlDocument.h"
#include "xml/XmlEncoding.h"
#include "xml/detail/Report.h"

namespace xml {

namespace {

using text::WString;
using text::WStringView;

// The start of the file is read once to find a byte order mark or a declaration.
constexpr size_t kHeadSize = 1024;
// System messages are cut to this many code units.
constexpr size_t kMaxMessageLength = 100;

struct ByteOrderMark {
  std::string_view bytes;
  const char16_t* encoding;
  bool wide;          // UTF-16: read as 16-bit units
  bool littleEndian;  // byte order of the 16-bit units
};

// Tried in this order; the first full match wins.
constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", u"UTF-8", false, false},
    {"\xFF\xFE", u"UTF-16LE", true, true},
    {"\xFE\xFF", u"UTF-16BE", true, false},
};

// The system's text for an error number: one line, at most kMaxMessageLength units.
WString SystemMessage(int error) {
  char buffer[256];
#if defined(_WIN32)
  // The runtime's message is in the ANSI code page.
  if (strerror_s(buffer, sizeof buffer, error) != 0) buffer[0] = '\0';
  WString message = text::DecodeAnsi(buffer).value_or(WString());
#else
  WString message = text::FromUtf8(strerror_r(error, buffer, sizeof buffer));
#endif
  message = message.substr(0, message.find_first_of(u"\r\n"));
  if (message.size() > kMaxMessageLength) message.resize(kMaxMessageLength);
  return message;
}

void AddFileError(WString& report, int error) {
  detail::AddReportEntry(report, u"file_error", WStringView(SystemMessage(error)),
                         detail::kReportMsg | detail::kReportN, error, -1);
}

// An entry that carries no attributes.
void AddPlainEntry(WString& report, WStringView word) {
  detail::AddReportEntry(report, word, std::nullopt, 0, -1, -1);
}

// A 16-bit or 32-bit encoding cannot be what a declaration read as 8-bit text says: the file
// has no mark and its declaration was readable byte by byte, so its bytes are UTF-8 at most.
bool IsWideCodePage(int32_t codePage) {
  return codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001;
}

#if defined(_WIN32)
// Byte-mode reads under the wide name: no newline translation, any character in the path.
int OpenForReading(const std::string& path) {
  std::wstring wide;
  for (char16_t c : text::FromUtf8(path)) wide.push_back(static_cast<wchar_t>(c));
  int fd = ::_wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  // Windows refuses to open a directory as "access denied"; say what it is, as Linux does.
  struct _stat64 info;
  if (fd < 0 && errno == EACCES && ::_wstat64(wide.c_str(), &info) == 0 &&
      (info.st_mode & _S_IFMT) == _S_IFDIR) {
    errno = EISDIR;
  }
  return fd;
}

bool StatRegular(int fd, int64_t& size, bool& isDir) {
  struct _stat64 info;
  if (::_fstat64(fd, &info) != 0) return false;
  size = info.st_size;
  isDir = (info.st_mode & _S_IFMT) == _S_IFDIR;
  return (info.st_mode & _S_IFMT) == _S_IFREG;
}

long long ReadAtOffset(int fd, void* buffer, size_t size, int64_t offset) {
  if (::_lseeki64(fd, offset, SEEK_SET) < 0) return -1;
  unsigned int count = static_cast<unsigned int>(std::min<size_t>(size, INT32_MAX));
  return ::_read(fd, buffer, count);
}
#else
int OpenForReading(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

bool StatRegular(int fd, int64_t& size, bool& isDir) {
  struct stat info;
  if (::fstat(fd, &info) != 0) return false;
  size = static_cast<int64_t>(info.st_size);
  isDir = S_ISDIR(info.st_mode);
  return S_ISREG(info.st_mode);
}

long long ReadAtOffset(int fd, void* buffer, size_t size, int64_t offset) {
  return ::pread(fd, buffer, size, offset);
}
#endif

// Owns one file descriptor opened for reading.
class InputFile {
 public:
  explicit InputFile(const std::string& path) : fd_(OpenForReading(path)) {}
  ~InputFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // The size of a regular file; otherwise nullopt with errno set (a directory, a pipe or a
  // device has no size to read up to, and a pipe would block).
  std::optional<int64_t> RegularFileSize() const {
    int64_t size = 0;
    bool isDir = false;
    errno = 0;
    if (StatRegular(fd_, size, isDir)) return size;
    if (errno == 0) errno = isDir ? EISDIR : EINVAL;
    return std::nullopt;
  }

  // Reads up to `size` bytes at `offset`. The count read, short only at the end of the file,
  // or -1 with errno set.
  int64_t ReadAt(void* buffer, size_t size, int64_t offset) const {
    size_t done = 0;
    while (done < size) {
      long long n = ReadAtOffset(fd_, static_cast<char*>(buffer) + done, size - done, offset + done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -1;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
  }

  // False with errno set when the system reports a failure.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// One ReadTextFile call: the open file, what was found about its encoding, and the report.
class TextFile {
 public:
  TextFile(InputFile& file, int64_t size, WString& report)
      : file_(file), size_(size), report_(report) {}

  // Finds a byte order mark or the declared encoding in the first bytes.
  bool ReadHead() {
    if (size_ == 0) return true;
    std::string head(static_cast<size_t>(std::min<int64_t>(size_, kHeadSize)), '\0');
    int64_t got = file_.ReadAt(head.data(), head.size(), 0);
    if (got < 0) return Fail();
    head.resize(static_cast<size_t>(got));
    for (const ByteOrderMark& mark : kMarks) {
      if (head.starts_with(mark.bytes)) {
        mark_ = &mark;
        encoding_ = mark.encoding;
        consumed_ = static_cast<int64_t>(mark.bytes.size());
        AddPlainEntry(report_, u"bom");
        return true;
      }
    }
    encoding_ = XmlDocument::DetectDeclaredEncoding(text::FromUtf8(head));
    if (IsWideCodePage(CodePageFromName(encoding_))) encoding_ = u"UTF-8";
    if (encoding_.empty() && !head.empty() && head[0] == '<') encoding_ = u"UTF-8";
    return true;
  }

  // Reads the rest of the file into `out` as UTF-16.
  bool ReadBody(WString& out) {
    if (Remaining() == 0) {
      // Nothing after the mark: nothing swapped, decoded or converted either.
      AddRead(0);
      return true;
    }
    if (mark_ != nullptr && mark_->wide) return ReadWide(out);
    return ReadBytes(out);
  }

 private:
  bool Fail() {
    AddFileError(report_, errno);
    return false;
  }

  size_t Remaining() const { return static_cast<size_t>(size_ - consumed_); }

  void AddRead(size_t units) {
    detail::AddReportEntry(report_, u"read", WStringView(encoding_),
                           detail::kReportEncoding | detail::kReportLength,
                           static_cast<int32_t>(units), -1);
  }

  void AddNullsRemoved(size_t count) {
    if (count == 0) return;
    detail::AddReportEntry(report_, u"nulls_removed", std::nullopt, detail::kReportCount,
                           static_cast<int32_t>(count), -1);
  }

  // UTF-16 with a mark goes straight into the text, swapped if its byte order is not ours.
  bool ReadWide(WString& out) {
    out.resize(Remaining() / 2);
    int64_t got = file_.ReadAt(out.data(), out.size() * 2, consumed_);
    if (got < 0) {
      out.clear();
      return Fail();
    }
    out.resize(static_cast<size_t>(got) / 2);
    AddRead(out.size());
    AddNullsRemoved(std::erase(out, u'\0'));
    bool nativeLittle = std::endian::native == std::endian::little;
    if (mark_->littleEndian != nativeLittle) {
      for (char16_t& unit : out) unit = static_cast<char16_t>((unit << 8) | (unit >> 8));
    }
    if (!mark_->littleEndian) AddPlainEntry(report_, u"endian_swap");
    return true;
  }

  // 8-bit text: bytes read whole, checked for UTF-8 when nothing named the encoding, then
  // converted. The byte buffer is gone before the caller parses.
  bool ReadBytes(WString& out) {
    std::string bytes(Remaining(), '\0');
    int64_t got = file_.ReadAt(bytes.data(), bytes.size(), consumed_);
    if (got < 0) return Fail();
    bytes.resize(static_cast<size_t>(got));
    AddRead(bytes.size());
    if (bytes.empty()) return true;
    AddNullsRemoved(std::erase(bytes, '\0'));
    if (encoding_.empty()) DetectUtf8(bytes);
    out = ConvertText(bytes, encoding_);
    detail::AddReportEntry(report_, u"converted_to", WStringView(u"UTF-16"),
                           detail::kReportEncoding | detail::kReportLength,
                           static_cast<int32_t>(out.size()), -1);
    return true;
  }

  void DetectUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
      encoding_ = u"UTF-8";
      detail::AddReportEntry(report_, u"read", WStringView(encoding_),
                             detail::kReportUpdate | detail::kReportEncoding, -1, -1);
    }
    AddPlainEntry(report_, u"utf8_detection");
  }

  InputFile& file_;
  int64_t size_;
  WString& report_;
  const ByteOrderMark* mark_ = nullptr;
  WString encoding_;
  int64_t consumed_ = 0;
};

// Reads the file; the report gets every entry except a failure to close.
bool ReadOpenFile(InputFile& file, WString& out, WString& report, int64_t maxBytes) {
  std::optional<int64_t> size = file.RegularFileSize();
  if (!size) {
    AddFileError(report, errno);
    return false;
  }
  if (*size > maxBytes) {
    AddFileError(report, EFBIG);
    return false;
  }
  TextFile textFile(file, *size, report);
  return textFile.ReadHead() && textFile.ReadBody(out);
}

}  // namespace

bool XmlDocument::ReadTextFile(WStringView path, WString& text, WString& report, int64_t maxBytes) {
  report.clear();
  InputFile file(text::ToUtf8(path));
  int openError = errno;
  text.clear();
  if (!file.IsOpen()) {
    AddFileError(report, openError);
    return false;
  }
  bool ok = ReadOpenFile(file, text, report, std::min(maxBytes, kMaxFileBytes));
  if (!file.Close()) AddFileError(report, errno);
  return ok;
}

bool XmlDocument::LoadFile(WStringView path, int64_t maxBytes) {
  bool read = ReadTextFile(path, text_, report_, maxBytes);
  // Parsed even after a failure, so the index and cursor never outlive the text they describe.
  bool wellFormed = ParseLoadedText();
  return read && wellFormed;
}

}  // namespace xml
