#include "lobby/player/MovieFolder.h"

#include <glib.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>

namespace lobby::player {
namespace {

struct GFreeDeleter {
  void operator()(gchar* p) const { g_free(p); }
};
using GString_ = std::unique_ptr<gchar, GFreeDeleter>;

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool HasDotDotSegment(const std::string& path) {
  return path == ".." || StartsWith(path, "../") || path.find("/../") != std::string::npos ||
         (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0);
}

// The folder with every link and "." resolved; empty when it is no directory.
std::string RealDirectory(const std::string& path) {
  GString_ real(realpath(path.c_str(), nullptr));
  if (!real || !g_file_test(real.get(), G_FILE_TEST_IS_DIR)) return {};
  return real.get();
}

}  // namespace

std::optional<MovieAddress> MakeMovieAddress(const std::string& path) {
  std::string unix_path = path;
  std::replace(unix_path.begin(), unix_path.end(), '\\', '/');
  if (unix_path.empty() || unix_path.front() != '/' || unix_path.back() == '/' ||
      HasDotDotSegment(unix_path)) {
    return {};
  }
  GString_ folder(g_path_get_dirname(unix_path.c_str()));
  GString_ name(g_path_get_basename(unix_path.c_str()));
  std::string real = RealDirectory(folder.get());
  if (real.empty()) return {};
  GString_ escaped(g_uri_escape_string(name.get(), nullptr, FALSE));
  return MovieAddress{std::string(kMovieRoot) + escaped.get(), real};
}

// The engine writes scheme and host of a parsed address in lower case.
bool IsMovieAddress(const std::string& uri) { return StartsWith(uri, kMovieRoot); }

bool IsWebAddress(const std::string& uri) {
  GString_ scheme(g_uri_parse_scheme(uri.c_str()));
  if (!scheme) return false;
  return g_ascii_strcasecmp(scheme.get(), "http") == 0 ||
         g_ascii_strcasecmp(scheme.get(), "https") == 0;
}

NavigationVerdict JudgeNavigation(const std::string& uri) {
  if (IsMovieAddress(uri)) return NavigationVerdict::kLoad;
  if (IsWebAddress(uri)) return NavigationVerdict::kOpenOutside;
  return NavigationVerdict::kRefuse;
}

}  // namespace lobby::player
