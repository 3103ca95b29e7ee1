#include "updater/UpdateFileEntry.h"

#include "updater/ListText.h"

namespace updater {
namespace {

text::WString Decode(const std::string& bytes) { return DecodeListText(bytes).value_or(text::WString()); }

}  // namespace

text::WString UpdateFileEntry::FileName() const { return Decode(record_.fileName); }
text::WString UpdateFileEntry::FilePath() const { return Decode(record_.filePath); }
text::WString UpdateFileEntry::FileCrc() const { return Decode(record_.fileCrc); }
text::WString UpdateFileEntry::CompressName() const { return Decode(record_.compressName); }
text::WString UpdateFileEntry::CompressPath() const { return Decode(record_.compressPath); }
text::WString UpdateFileEntry::CompressCrc() const { return Decode(record_.compressCrc); }
text::WString UpdateFileEntry::Command() const { return Decode(record_.command); }

}  // namespace updater
