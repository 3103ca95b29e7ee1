// The version's file list as the publisher writes it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/Text.h"
#include "updater/UpdateFileEntry.h"

namespace publisher {

struct ListedFile {
  text::WString shownName;  // for messages: the file's path below the program directory
  updater::FileRecord record;
};

// The list document's bytes, or an error. The document is read back before it is accepted: a
// name the document would alter (runs of white space, for one) must never reach a server.
// `signedTime` is the signing time the list binds (decimal seconds).
std::optional<text::WString> BuildListDocument(text::WStringView name, text::WStringView version,
                                               const std::string& signedTime,
                                               const std::vector<ListedFile>& files, std::string& document);

}  // namespace publisher
