#include "lobby/player/MovieFolder.h"

#include <glib.h>

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

std::string WithoutQueryAndFragment(const std::string& uri) {
  return uri.substr(0, uri.find_first_of("?#"));
}

// Local path of a file address; empty when it is not one or names another host.
std::string LocalPath(const std::string& uri) {
  gchar* host = nullptr;
  GString_ path(g_filename_from_uri(WithoutQueryAndFragment(uri).c_str(), &host, nullptr));
  GString_ owned_host(host);
  if (!path || (host && *host && g_strcmp0(host, "localhost") != 0)) return {};
  return path.get();
}

bool HasDotDotSegment(const std::string& path) {
  return path == ".." || StartsWith(path, "../") || path.find("/../") != std::string::npos ||
         (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0);
}

}  // namespace

std::optional<MovieAddress> MakeMovieAddress(const std::string& path) {
  std::string unix_path = path;
  std::replace(unix_path.begin(), unix_path.end(), '\\', '/');
  if (unix_path.empty() || unix_path.front() != '/' || HasDotDotSegment(unix_path)) return {};
  GString_ file_uri(g_filename_to_uri(unix_path.c_str(), nullptr, nullptr));
  GString_ folder(g_path_get_dirname(unix_path.c_str()));
  if (!file_uri) return {};
  std::string folder_path = folder.get();
  if (folder_path == "/") folder_path.clear();
  GString_ folder_uri(g_filename_to_uri((folder_path + "/").c_str(), nullptr, nullptr));
  if (!folder_uri) return {};
  return MovieAddress{file_uri.get(), folder_uri.get(), folder_path};
}

bool IsInsideMovieFolder(const std::string& uri, const MovieAddress& movie) {
  if (movie.fileUri.empty()) return false;
  const std::string path = LocalPath(uri);
  if (path.empty() || HasDotDotSegment(path)) return false;
  return StartsWith(path, movie.folderPath + "/") && path.size() > movie.folderPath.size() + 1;
}

bool IsWebAddress(const std::string& uri) {
  GString_ scheme(g_uri_parse_scheme(uri.c_str()));
  if (!scheme) return false;
  return g_ascii_strcasecmp(scheme.get(), "http") == 0 ||
         g_ascii_strcasecmp(scheme.get(), "https") == 0;
}

NavigationVerdict JudgeNavigation(const std::string& uri, const MovieAddress& movie) {
  if (IsInsideMovieFolder(uri, movie)) return NavigationVerdict::kLoad;
  if (IsWebAddress(uri)) return NavigationVerdict::kOpenOutside;
  return NavigationVerdict::kRefuse;
}

}  // namespace lobby::player
