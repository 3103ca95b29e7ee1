#include <iconv.h>

#include <cerrno>

#include "text/CodePage.h"
#include "text/CodePageTable.h"
#include "text/detail/UnicodeForms.h"

namespace text {

namespace {

// Owns one iconv descriptor.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

std::optional<WString> DecodeCharset(std::string_view bytes, const char* charset) {
  Converter conv("UTF-16LE", charset);
  if (!conv.ok()) return std::nullopt;
  WString out;
  out.reserve(bytes.size());
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char16_t buf[4096];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buf);
    size_t outLeft = sizeof buf;
    size_t r = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buf, (sizeof buf - outLeft) / 2);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (cut off at the end): one replacement character per bad byte.
      out.push_back(kReplacementCharacter);
      ++in;
      --inLeft;
      iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::optional<std::string> EncodeCharset(WStringView s, const char* charset) {
  Converter conv(charset, "UTF-16LE");
  if (!conv.ok()) return std::nullopt;
  std::string out;
  out.reserve(s.size() * 2);
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(s.data()));
  size_t inLeft = s.size() * 2;
  char buf[4096];
  while (inLeft > 0) {
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(conv.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buf, sizeof buf - outLeft);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) return std::nullopt;
  }
  return out;
}

}  // namespace

int32_t AnsiCodePage() { return kGbkCodePage; }

std::optional<WString> DecodeCodePage(std::string_view bytes, int32_t codePage) {
  // Little-endian UTF-32 is decoded by our own decoder on every platform, as the document
  // reader's built-in UTF-32 always was.
  if (codePage == kUtf32LeCodePage) return detail::DecodeUnicodeForm(bytes, codePage);
  const CodePageDecoder* decoder = FindCodePage(codePage);
  if (decoder == nullptr) return std::nullopt;
  return DecodeCharset(bytes, decoder->charset);
}

std::optional<WString> DecodeAnsi(std::string_view bytes) {
  return DecodeCodePage(bytes, AnsiCodePage());
}

std::optional<std::string> EncodeAnsi(WStringView s) {
  return EncodeCharset(s, FindCodePage(AnsiCodePage())->charset);
}

}  // namespace text
