#include "updater/ReleaseAddresses.h"

#include "contract/Contract.h"
#include "updater/HttpDownload.h"

namespace updater {
namespace {

text::WString VersionFolder(text::WStringView serverUrl, text::WStringView versionKey) {
  return text::WString(serverUrl) + u"/" + text::WString(versionKey);
}

}  // namespace

text::WString ListUrl(text::WStringView serverUrl, text::WStringView versionKey) {
  return VersionFolder(serverUrl, versionKey) + u"/" + text::Ascii(contract::kListName) + u"." +
         text::WString(versionKey);
}

text::WString ArchiveUrl(text::WStringView serverUrl, text::WStringView versionKey, text::WStringView filePath,
                         text::WStringView fileName) {
  text::WString url = VersionFolder(serverUrl, versionKey) + u"/";
  if (!filePath.empty()) url += EscapeListPath(filePath) + u"/";
  return url + EscapeListPath(fileName) + u"." + text::WString(versionKey);
}

}  // namespace updater
