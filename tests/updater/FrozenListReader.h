// The list reader as it was before lists were signed, frozen here: an updater built then still
// updates from a signed tree only if this reader takes a signed list exactly as an unsigned one.
// Do not update it with the live reader.
#pragma once

#include <tinyxml.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace frozen {

struct Record {
  int32_t status = 0;
  std::string fileName, filePath, fileCrc;
  int32_t fileLen = 0;
  bool zip = true;
  std::string compressName, compressPath, compressCrc;
  int32_t compressLen = 0;
  std::string command;
  bool operator==(const Record&) const = default;
};

struct List {
  int32_t status = 0;
  std::string name, version, programDir, downloadDir, url;
  std::vector<Record> files;
};

inline const char* ChildText(const TiXmlElement& parent, const char* name, bool& present) {
  const TiXmlElement* child = parent.FirstChildElement(name);
  present = child != nullptr;
  return child ? child->GetText() : nullptr;
}

inline bool ReadRequired(const TiXmlElement& file, const char* name, std::string& out) {
  bool present = false;
  const char* value = ChildText(file, name, present);
  if (!value) return false;
  out = value;
  return true;
}

inline bool ReadMaybeEmpty(const TiXmlElement& file, const char* name, std::string& out) {
  bool present = false;
  const char* value = ChildText(file, name, present);
  out = value ? value : "";
  return present;
}

inline bool ReadNumber(const TiXmlElement& file, const char* name, int32_t& out) {
  std::string value;
  if (!ReadRequired(file, name, value)) return false;
  out = text::ParseInt(std::string_view(value));
  return true;
}

inline int32_t ReadStatus(const TiXmlElement& file) {
  int32_t status = 0;
  if (const char* attribute = file.Attribute("status")) status = text::ParseInt(std::string_view(attribute));
  bool present = false;
  if (const char* child = ChildText(file, "status", present)) status = text::ParseInt(std::string_view(child));
  return status;
}

inline std::optional<Record> ReadRecord(const TiXmlElement& file) {
  Record r;
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
  return r;
}

inline bool CopyAttribute(const TiXmlElement& software, const char* name, size_t limit, std::string& field) {
  const char* value = software.Attribute(name);
  if (!value) return true;
  std::string bytes(value);
  if (bytes.size() > limit) return false;
  field = std::move(bytes);
  return true;
}

// Every element after the first File is read as a file entry, whatever its name.
inline std::optional<List> Read(const std::string& document) {
  TiXmlDocument xml;
  xml.Parse(document.c_str());
  if (xml.Error()) return std::nullopt;
  const TiXmlElement* root = xml.RootElement();
  const TiXmlElement* software = root ? root->FirstChildElement("Software") : nullptr;
  if (!software) return std::nullopt;
  List list;
  if (const char* status = software->Attribute("status")) list.status = text::ParseInt(std::string_view(status));
  if (!CopyAttribute(*software, "name", 32, list.name) || !CopyAttribute(*software, "version", 32, list.version) ||
      !CopyAttribute(*software, "prog", 260, list.programDir) || !CopyAttribute(*software, "down", 260, list.downloadDir) ||
      !CopyAttribute(*software, "url", 500, list.url)) {
    return std::nullopt;
  }
  for (const TiXmlElement* file = software->FirstChildElement("File"); file; file = file->NextSiblingElement()) {
    std::optional<Record> record = ReadRecord(*file);
    if (!record) return std::nullopt;
    list.files.push_back(std::move(*record));
  }
  return list;
}

}  // namespace frozen
