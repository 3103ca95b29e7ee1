// Reading a text file of any encoding into an XmlDocument.
#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>

#include "platform/FileRead.h"
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
  WString message = text::FromUtf8(platform::ErrorText(error));
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

// One ReadTextFile call: the file's bytes, what was found about their encoding, and the report.
class TextFile {
 public:
  TextFile(std::string& bytes, WString& report) : bytes_(bytes), report_(report) {}

  // Finds a byte order mark or the declared encoding in the first bytes.
  void ReadHead() {
    if (bytes_.empty()) return;
    std::string_view head = std::string_view(bytes_).substr(0, kHeadSize);
    for (const ByteOrderMark& mark : kMarks) {
      if (head.starts_with(mark.bytes)) {
        mark_ = &mark;
        encoding_ = mark.encoding;
        consumed_ = mark.bytes.size();
        AddPlainEntry(report_, u"bom");
        return;
      }
    }
    encoding_ = XmlDocument::DetectDeclaredEncoding(text::FromUtf8(head));
    // A 16-bit or 32-bit encoding cannot be what a declaration read as 8-bit text says: the
    // file has no mark and its declaration was readable byte by byte, so it is UTF-8 at most.
    if (text::IsUnicodeForm(CodePageFromName(encoding_))) encoding_ = u"UTF-8";
    if (encoding_.empty() && head.starts_with('<')) encoding_ = u"UTF-8";
  }

  // The rest of the file as UTF-16 in `out`.
  void ReadBody(WString& out) {
    if (bytes_.size() == consumed_) {
      // Nothing after the mark: nothing swapped, decoded or converted either.
      AddRead(0);
      return;
    }
    if (mark_ != nullptr && mark_->wide) {
      ReadWide(out);
    } else {
      ReadBytes(out);
    }
  }

 private:
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

  // UTF-16 with a mark is taken as it is, swapped if its byte order is not ours.
  void ReadWide(WString& out) {
    out.resize((bytes_.size() - consumed_) / 2);
    std::memcpy(out.data(), bytes_.data() + consumed_, out.size() * 2);
    bytes_ = std::string();  // the file's bytes are not kept beside their text
    AddRead(out.size());
    AddNullsRemoved(std::erase(out, u'\0'));
    bool nativeLittle = std::endian::native == std::endian::little;
    if (mark_->littleEndian != nativeLittle) {
      for (char16_t& unit : out) unit = static_cast<char16_t>((unit << 8) | (unit >> 8));
    }
    if (!mark_->littleEndian) AddPlainEntry(report_, u"endian_swap");
  }

  // 8-bit text: checked for UTF-8 when nothing named the encoding, then converted. The byte
  // buffer is gone before the caller parses.
  void ReadBytes(WString& out) {
    bytes_.erase(0, consumed_);
    AddRead(bytes_.size());
    AddNullsRemoved(std::erase(bytes_, '\0'));
    if (encoding_.empty()) DetectUtf8(bytes_);
    out = ConvertText(bytes_, encoding_);
    bytes_ = std::string();
    detail::AddReportEntry(report_, u"converted_to", WStringView(u"UTF-16"),
                           detail::kReportEncoding | detail::kReportLength,
                           static_cast<int32_t>(out.size()), -1);
  }

  void DetectUtf8(std::string_view bytes) {
    if (text::IsValidUtf8(bytes)) {
      encoding_ = u"UTF-8";
      detail::AddReportEntry(report_, u"read", WStringView(encoding_),
                             detail::kReportUpdate | detail::kReportEncoding, -1, -1);
    }
    AddPlainEntry(report_, u"utf8_detection");
  }

  std::string& bytes_;
  WString& report_;
  const ByteOrderMark* mark_ = nullptr;
  WString encoding_;
  size_t consumed_ = 0;
};

}  // namespace

bool XmlDocument::ReadTextFile(WStringView path, WString& text, WString& report, int64_t maxBytes) {
  report.clear();
  text.clear();
  int error = 0;
  const int64_t cap = std::clamp<int64_t>(maxBytes, 0, kMaxFileBytes);
  std::optional<std::string> bytes =
      platform::ReadRegularFile(text::ToUtf8(path), static_cast<size_t>(cap), &error);
  if (!bytes) {
    AddFileError(report, error);
    return false;
  }
  TextFile file(*bytes, report);
  file.ReadHead();
  file.ReadBody(text);
  return true;
}

bool XmlDocument::LoadFile(WStringView path, int64_t maxBytes) {
  bool read = ReadTextFile(path, text_, report_, maxBytes);
  // Parsed even after a failure, so the index and cursor never outlive the text they describe.
  bool wellFormed = ParseLoadedText();
  return read && wellFormed;
}

}  // namespace xml
