#include "lobby/frame/MoviePlacement.h"

#include <glib.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <string>

namespace lobby {
namespace {

struct Freer {
  void operator()(char* p) const { free(p); }
};

// The path with links resolved; empty when it does not exist.
std::string Resolved(const std::string& path) {
  std::unique_ptr<char, Freer> real(realpath(path.c_str(), nullptr));
  return real ? std::string(real.get()) : std::string();
}

std::string WithSlashes(const text::WString& path) {
  std::string out = text::ToUtf8(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

}  // namespace

bool MovieFolderIsBelow(const text::WString& programDir, const text::WString& moviePath) {
  gchar* folder = g_path_get_dirname(WithSlashes(moviePath).c_str());
  const std::string movieFolder = Resolved(folder);
  g_free(folder);
  const std::string program = Resolved(WithSlashes(programDir));
  if (movieFolder.empty() || program.empty()) return false;
  const std::string inside = program == "/" ? program : program + "/";
  return movieFolder.size() > inside.size() && movieFolder.compare(0, inside.size(), inside) == 0;
}

}  // namespace lobby
