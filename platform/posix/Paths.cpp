#include "platform/Paths.h"

#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

namespace platform {

namespace {

text::WString DirOrEmpty(const char* dir) { return dir ? text::FromUtf8(dir) : text::WString(); }

}  // namespace

text::WString ExecutableDir() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return text::FromUtf8(slash == std::string::npos ? std::string() : path.substr(0, slash));
}

text::WString StagingRoot(const std::string& corp) {
  const char* cache = g_get_user_cache_dir();
  std::string base = cache && g_path_is_absolute(cache) ? cache : g_get_tmp_dir();
  // In the shared temporary directory the folder carries the user id, so users don't collide.
  std::string root = base + "/" + corp + (base == g_get_tmp_dir() ? "-" + std::to_string(::getuid()) : "");
  g_mkdir_with_parents(root.c_str(), 0700);
  return text::FromUtf8(root);
}

text::WString ConfigRoot() { return DirOrEmpty(g_get_user_config_dir()); }

text::WString DataRoot() { return DirOrEmpty(g_get_user_data_dir()); }

bool CreateDirectory(text::WStringView path) {
  std::string p = text::ToUtf8(path);
  if (::mkdir(p.c_str(), 0755) == 0) return true;
  return errno == EEXIST && IsDirectory(path);
}

bool IsDirectory(text::WStringView path) {
  struct stat st;
  return ::stat(text::ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
