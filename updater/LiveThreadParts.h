// What the worker's translation units share: where one entry's files are, and its staging state.
#pragma once

#include <string>

#include "platform/AtomicFile.h"
#include "text/Text.h"
#include "updater/LiveThread.h"

namespace updater {

struct CLiveThread::EntryLocations {
  text::WString installed;   // in the program directory
  text::WString archiveUrl;
  text::WString archive;     // "<unpacked>.zip" in the download directory
  text::WString unpacked;    // in the download directory
};

struct CLiveThread::StagedEntry {
  UpdateFileEntry* entry;
  EntryLocations where;
  platform::Staging result;
};

inline std::string Utf8(text::WStringView s) { return text::ToUtf8(s); }

}  // namespace updater
