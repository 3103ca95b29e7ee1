#include "tools/publisher/PublishedList.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileSystem.h"
#include "tools/publisher/Scratch.h"

#include "updater/UpdateList.h"

namespace publisher {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(platform::FsPath(path), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Index of the first entry whose names came back different, or the count when all match.
size_t FirstAltered(updater::UpdateList& loaded, const std::vector<ListedFile>& files) {
  size_t index = 0;
  for (updater::UpdateFileEntry* e = loaded.First(); e && index < files.size(); e = loaded.Next(), ++index) {
    const updater::FileRecord& want = files[index].record;
    if (e->Record().fileName != want.fileName || e->Record().filePath != want.filePath) return index;
  }
  return index;
}

}  // namespace

std::optional<text::WString> BuildListDocument(text::WStringView name, text::WStringView version,
                                               const std::string& signedTime,
                                               const std::vector<ListedFile>& files, std::string& document) {
  updater::UpdateList list;
  if (!list.SetName(name) || !list.SetVersion(version) || !list.SetSignedTime(signedTime)) {
    return u"program name or version does not fit the list";
  }
  for (const ListedFile& file : files) {
    if (!list.Add(file.record)) return u"file \"" + file.shownName + u"\" cannot be carried by the update list";
  }
  ScratchFile scratch;
  text::WString path = text::FromUtf8(scratch.Path());
  if (scratch.Path().empty() || !list.Save(path)) return u"cannot write a scratch file for the update list";
  updater::UpdateList loaded;
  if (!loaded.Load(path)) return u"the update list does not read back";
  size_t altered = FirstAltered(loaded, files);
  if (altered < files.size())
    return u"file \"" + files[altered].shownName + u"\" has a name the update list would alter";
  document = ReadAll(scratch.Path());
  return std::nullopt;
}

}  // namespace publisher
