#include "updater/ZipFiles.h"

#if defined(_WIN32)
#include <iowin32.h>

#include "text/Text.h"
#endif

namespace updater {

#if defined(_WIN32)
namespace {

std::wstring WidePath(const std::string& path) {
  const text::WString wide = text::FromUtf8(path);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace

unzFile OpenZipForReading(const std::string& path) {
  zlib_filefunc64_def functions;
  fill_win32_filefunc64W(&functions);
  const std::wstring wide = WidePath(path);
  return unzOpen2_64(wide.c_str(), &functions);
}

zipFile CreateZip(const std::string& path) {
  zlib_filefunc64_def functions;
  fill_win32_filefunc64W(&functions);
  const std::wstring wide = WidePath(path);
  return zipOpen2_64(wide.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
}
#else
unzFile OpenZipForReading(const std::string& path) { return unzOpen64(path.c_str()); }

zipFile CreateZip(const std::string& path) { return zipOpen64(path.c_str(), APPEND_STATUS_CREATE); }
#endif

}  // namespace updater
