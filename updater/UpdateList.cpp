#include "updater/UpdateList.h"

#include <tinyxml.h>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "updater/ArchiveHash.h"
#include "updater/ListText.h"
#include "updater/ListPaths.h"

namespace updater {
namespace {

constexpr size_t kTimeLimit = 20;  // decimal seconds of a 64-bit time

// Empty (unsigned) or plain decimal digits.
bool IsSeconds(const std::string& text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return text.size() <= kTimeLimit;
}

bool FitsLimit(const std::string& value, size_t minimum, size_t limit) {
  return value.size() >= minimum && value.size() <= limit;
}

// The bytes must decode to a name the file system can take safely, and back to the same bytes,
// so the file we write is the file the list names.
std::optional<text::WString> DecodeExactly(const std::string& bytes) {
  std::optional<text::WString> decoded = DecodeListText(bytes);
  if (!decoded) return std::nullopt;
  std::optional<std::string> again = EncodeListText(*decoded);
  if (!again || *again != bytes) return std::nullopt;
  return decoded;
}

bool HasSafePaths(const FileRecord& record) {
  std::optional<text::WString> name = DecodeExactly(record.fileName);
  std::optional<text::WString> path = DecodeExactly(record.filePath);
  return name && path && IsSafeFileName(*name) && IsSafeFilePath(*path);
}

bool IsValidRecord(const FileRecord& record) {
  return FitsLimit(record.fileName, 1, kNameFieldLimit) && FitsLimit(record.filePath, 0, kNameFieldLimit) &&
         FitsLimit(record.fileCrc, 1, kCrcFieldLimit) && FitsLimit(record.compressName, 1, kNameFieldLimit) &&
         FitsLimit(record.compressPath, 0, kNameFieldLimit) && FitsLimit(record.compressCrc, 1, kCrcFieldLimit) &&
         FitsLimit(record.command, 0, kCommandLimit) &&
         (record.compressHash.empty() || IsHashText(record.compressHash)) && HasSafePaths(record);
}

const char* ChildText(const TiXmlElement& parent, const char* name, bool& present) {
  const TiXmlElement* child = parent.FirstChildElement(name);
  present = child != nullptr;
  return child ? child->GetText() : nullptr;
}

// A field whose element and text must both be there.
bool ReadRequired(const TiXmlElement& file, const char* name, std::string& out) {
  bool present = false;
  const char* value = ChildText(file, name, present);
  if (!value) return false;
  out = value;
  return true;
}

// A field whose element must be there but may be empty.
bool ReadMaybeEmpty(const TiXmlElement& file, const char* name, std::string& out) {
  bool present = false;
  const char* value = ChildText(file, name, present);
  out = value ? value : "";
  return present;
}

bool ReadNumber(const TiXmlElement& file, const char* name, int32_t& out) {
  std::string value;
  if (!ReadRequired(file, name, value)) return false;
  out = text::ParseInt(std::string_view(value));
  return true;
}

int32_t ReadStatus(const TiXmlElement& file) {
  int32_t status = 0;
  if (const char* attribute = file.Attribute("status")) status = text::ParseInt(std::string_view(attribute));
  bool present = false;
  // The child element wins over the attribute.
  if (const char* child = ChildText(file, "status", present)) status = text::ParseInt(std::string_view(child));
  return status;
}

std::optional<FileRecord> ReadRecord(const TiXmlElement& file) {
  FileRecord r;
  r.status = ReadStatus(file);
  std::string type;
  bool complete = ReadRequired(file, "FileName", r.fileName) && ReadMaybeEmpty(file, "FilePath", r.filePath) &&
                  ReadRequired(file, "FileCrc", r.fileCrc) && ReadNumber(file, "FileLen", r.fileLen) &&
                  ReadRequired(file, "CompressType", type) && ReadRequired(file, "CompressName", r.compressName) &&
                  ReadMaybeEmpty(file, "CompressPath", r.compressPath) &&
                  ReadRequired(file, "CompressCrc", r.compressCrc) && ReadNumber(file, "CompressLen", r.compressLen);
  if (!complete) return std::nullopt;
  r.zip = type == "zip";
  bool present = false;
  if (const char* command = ChildText(file, "Command", present)) r.command = command;
  if (const char* hash = ChildText(file, "CompressHash", present)) r.compressHash = hash;
  if (!IsValidRecord(r)) return std::nullopt;
  return r;
}

bool CopyAttribute(const TiXmlElement& software, const char* name, size_t limit, std::string& field) {
  const char* value = software.Attribute(name);
  if (!value) return true;
  std::string bytes(value);
  if (bytes.size() > limit) return false;
  field = std::move(bytes);
  return true;
}

void AddTextChild(TiXmlElement& parent, const char* name, const std::string& value) {
  auto* child = new TiXmlElement(name);
  child->LinkEndChild(new TiXmlText(value));
  parent.LinkEndChild(child);
}

void AddNumberChild(TiXmlElement& parent, const char* name, int32_t value) {
  AddTextChild(parent, name, std::to_string(value));
}

void SetIfNotEmpty(TiXmlElement& element, const char* name, const std::string& value) {
  if (!value.empty()) element.SetAttribute(name, value.c_str());
}

TiXmlElement* FileElement(const FileRecord& r) {
  auto* file = new TiXmlElement("File");
  AddTextChild(*file, "FileName", r.fileName);
  AddTextChild(*file, "FilePath", r.filePath);
  AddTextChild(*file, "FileCrc", r.fileCrc);
  AddNumberChild(*file, "FileLen", r.fileLen);
  AddTextChild(*file, "CompressType", "zip");
  AddTextChild(*file, "CompressName", r.compressName);
  AddTextChild(*file, "CompressPath", r.compressPath);
  AddTextChild(*file, "CompressCrc", r.compressCrc);
  AddNumberChild(*file, "CompressLen", r.compressLen);
  if (!r.command.empty()) AddTextChild(*file, "Command", r.command);
  if (!r.compressHash.empty()) AddTextChild(*file, "CompressHash", r.compressHash);
  if (r.status != 0) file->SetAttribute("status", r.status);
  return file;
}

std::optional<std::string> EncodeField(text::WStringView value, size_t limit) {
  std::optional<std::string> bytes = EncodeListText(value);
  if (!bytes || bytes->size() > limit) return std::nullopt;
  return bytes;
}

}  // namespace

struct UpdateListIo {
  // Copies the Software attributes; false when one is longer than its field.
  static bool ReadSoftware(UpdateList& list, const TiXmlElement& software) {
    if (const char* status = software.Attribute("status")) list.status_ = text::ParseInt(std::string_view(status));
    return CopyAttribute(software, "name", kVersionLimit, list.name_) &&
           CopyAttribute(software, "version", kVersionLimit, list.version_) &&
           CopyAttribute(software, "prog", kDirectoryLimit, list.programDir_) &&
           CopyAttribute(software, "down", kDirectoryLimit, list.downloadDir_) &&
           CopyAttribute(software, "url", kUrlLimit, list.url_) &&
           CopyAttribute(software, "signed", kTimeLimit, list.signedTime_) && IsSeconds(list.signedTime_) &&
           CopyAttribute(software, "list", kArchiveHashTextLength, list.listHash_) &&
           (list.listHash_.empty() || IsHashText(list.listHash_));
  }

  static bool ReadFiles(UpdateList& list, const TiXmlElement& software) {
    for (const TiXmlElement* file = software.FirstChildElement("File"); file; file = file->NextSiblingElement()) {
      std::optional<FileRecord> record = ReadRecord(*file);
      if (!record) return false;
      list.Append(std::make_unique<UpdateFileEntry>(&list, std::move(*record)));
    }
    return true;
  }

  static TiXmlElement* SoftwareElement(const UpdateList& list) {
    auto* software = new TiXmlElement("Software");
    SetIfNotEmpty(*software, "name", list.name_);
    SetIfNotEmpty(*software, "version", list.version_);
    SetIfNotEmpty(*software, "prog", list.programDir_);
    SetIfNotEmpty(*software, "down", list.downloadDir_);
    SetIfNotEmpty(*software, "url", list.url_);
    if (list.status_ != 0) software->SetAttribute("status", list.status_);
    SetIfNotEmpty(*software, "signed", list.signedTime_);
    SetIfNotEmpty(*software, "list", list.listHash_);
    for (const auto& entry : list.entries_) software->LinkEndChild(FileElement(entry->Record()));
    return software;
  }
};

bool UpdateList::Load(text::WStringView path) {
  TiXmlDocument document;
  platform::StreamPtr file = platform::OpenForReading(text::ToUtf8(path));
  if (!file || !document.LoadFile(file.get())) return false;
  const TiXmlElement* root = document.RootElement();
  const TiXmlElement* software = root ? root->FirstChildElement("Software") : nullptr;
  if (!software) return false;
  // Any invalid part empties the whole list: a half-read list must never drive an install.
  if (!UpdateListIo::ReadSoftware(*this, *software) || !UpdateListIo::ReadFiles(*this, *software)) {
    Clear();
    return false;
  }
  return true;
}

std::string UpdateList::Print() const {
  TiXmlDocument document;
  document.LinkEndChild(new TiXmlDeclaration("1.0", "gbk", "yes"));
  auto* root = new TiXmlElement("UpdateConfig");
  root->SetAttribute("version", "1.0");
  root->LinkEndChild(UpdateListIo::SoftwareElement(*this));
  document.LinkEndChild(root);
  TiXmlPrinter printer;
  document.Accept(&printer);
  return printer.Str();
}

// The document is printed in memory and written by the careful replacement, because TinyXML's
// own file saving loses the result of its final flush (a full disk would give an empty log).
bool UpdateList::Save(text::WStringView path) const { return platform::ReplaceFileContent(text::ToUtf8(path), Print()); }

void UpdateList::Append(std::unique_ptr<UpdateFileEntry> entry) {
  const UpdateFileEntry* key = entry.get();
  entries_.push_back(std::move(entry));
  positions_[key] = std::prev(entries_.end());
}

void UpdateList::Clear() {
  entries_.clear();
  positions_.clear();
  cursor_ = entries_.end();
  status_ = 0;
  name_.clear();
  version_.clear();
  programDir_.clear();
  downloadDir_.clear();
  url_.clear();
  signedTime_.clear();
  listHash_.clear();
}

bool UpdateList::SetSignedTime(const std::string& seconds) {
  if (!IsSeconds(seconds)) return false;
  signedTime_ = seconds;
  return true;
}

bool UpdateList::SetListHash(const std::string& hash) {
  if (!hash.empty() && !IsHashText(hash)) return false;
  listHash_ = hash;
  return true;
}

bool UpdateList::SetVersion(text::WStringView version) {
  std::optional<std::string> bytes = EncodeField(version, kVersionLimit);
  if (!bytes) return false;
  version_ = std::move(*bytes);
  return true;
}

text::WString UpdateList::Version() const { return DecodeListText(version_).value_or(text::WString()); }

bool UpdateList::SetName(text::WStringView name) {
  std::optional<std::string> bytes = EncodeField(name, kVersionLimit);
  if (!bytes) return false;
  name_ = std::move(*bytes);
  return true;
}

text::WString UpdateList::Name() const { return DecodeListText(name_).value_or(text::WString()); }

UpdateFileEntry* UpdateList::Add(FileRecord record) {
  if (!IsValidRecord(record)) return nullptr;
  Append(std::make_unique<UpdateFileEntry>(this, std::move(record)));
  return entries_.back().get();
}

UpdateFileEntry* UpdateList::First() {
  cursor_ = entries_.begin();
  return Next();
}

UpdateFileEntry* UpdateList::Next() {
  if (cursor_ == entries_.end()) return nullptr;
  UpdateFileEntry* entry = cursor_->get();
  ++cursor_;
  return entry;
}

bool UpdateList::Remove(UpdateFileEntry* entry) {
  if (!entry || entry->Owner() != this) return false;
  auto found = positions_.find(entry);
  if (found == positions_.end()) return false;
  const Entries::iterator it = found->second;
  positions_.erase(found);
  if (cursor_ == it) ++cursor_;
  entries_.erase(it);
  return true;
}

int64_t UpdateList::TotalArchiveSize() const {
  int64_t total = 0;
  for (const auto& entry : entries_) total += entry->CompressLen();
  return total;
}

}  // namespace updater
