#include "lobby/player/MovieFile.h"

#include <fcntl.h>
#include <glib.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include "lobby/player/MovieFolder.h"

namespace lobby::player {
namespace {

struct GFreeDeleter {
  void operator()(gchar* p) const { g_free(p); }
};
using GString_ = std::unique_ptr<gchar, GFreeDeleter>;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// The path below the folder that the address names, decoded once; nothing when the address
// is not the movie's or does not decode (a broken escape, an encoded NUL).
std::optional<std::string> RelativePath(const std::string& uri) {
  if (!IsMovieAddress(uri)) return std::nullopt;
  std::string path = uri.substr(std::string(kMovieRoot).size());
  path = path.substr(0, path.find_first_of("?#"));
  GString_ decoded(g_uri_unescape_string(path.c_str(), nullptr));
  if (!decoded) return std::nullopt;
  std::string out = decoded.get();
  // Pages made on Windows may write "\" between folders.
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

MovieFile Failed(MovieFileStatus status) {
  MovieFile file;
  file.status = status;
  return file;
}

// Where the open descriptor really is: a link swapped in after the name was resolved shows.
std::string OpenedPath(int fd) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  GString_ target(g_file_read_link(link.c_str(), nullptr));
  return target ? target.get() : std::string();
}

// Reads at most kMaxMovieFileBytes + 1 bytes, so a file that grew past the cap is noticed.
std::optional<std::string> ReadCapped(int fd, size_t expected) {
  std::string bytes(std::min(expected, kMaxMovieFileBytes) + 1, '\0');
  size_t done = 0;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() > kMaxMovieFileBytes) break;
      bytes.resize(std::min(bytes.size() * 2, kMaxMovieFileBytes + 1));
    }
    ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace

MovieFile ReadMovieFile(const std::string& folder, const std::string& uri) {
  std::optional<std::string> relative = RelativePath(uri);
  if (!relative) return Failed(MovieFileStatus::kRefused);
  if (relative->empty()) return Failed(MovieFileStatus::kRefused);
  const std::string inside = folder + "/";
  GString_ real(realpath((inside + *relative).c_str(), nullptr));
  if (!real) return Failed(MovieFileStatus::kNotFound);
  if (!StartsWith(real.get(), inside)) return Failed(MovieFileStatus::kRefused);
  Descriptor fd(open(real.get(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
  if (fd.get() < 0) return Failed(errno == ENOENT ? MovieFileStatus::kNotFound : MovieFileStatus::kRefused);
  struct stat info;
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      !StartsWith(OpenedPath(fd.get()), inside)) {
    return Failed(MovieFileStatus::kRefused);
  }
  if (static_cast<uint64_t>(info.st_size) > kMaxMovieFileBytes) return Failed(MovieFileStatus::kTooLarge);
  std::optional<std::string> bytes = ReadCapped(fd.get(), static_cast<size_t>(info.st_size));
  if (!bytes) return Failed(MovieFileStatus::kRefused);
  if (bytes->size() > kMaxMovieFileBytes) return Failed(MovieFileStatus::kTooLarge);
  MovieFile file;
  file.status = MovieFileStatus::kOk;
  file.bytes = std::move(*bytes);
  file.contentType = ContentTypeFor(*relative);
  return file;
}

int HttpStatus(MovieFileStatus status) {
  switch (status) {
    case MovieFileStatus::kOk: return 200;
    case MovieFileStatus::kNotFound: return 404;
    case MovieFileStatus::kRefused: return 403;
    case MovieFileStatus::kTooLarge: return 413;
  }
  return 500;
}

std::string ContentTypeFor(const std::string& name) {
  static const struct {
    const char* extension;
    const char* type;
  } kTypes[] = {
      {"html", "text/html"}, {"htm", "text/html"}, {"css", "text/css"},
      {"js", "text/javascript"}, {"mjs", "text/javascript"}, {"json", "application/json"},
      {"xml", "application/xml"}, {"txt", "text/plain"}, {"svg", "image/svg+xml"},
      {"png", "image/png"}, {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"gif", "image/gif"},
      {"webp", "image/webp"}, {"ico", "image/x-icon"}, {"bmp", "image/bmp"},
      {"woff", "font/woff"}, {"woff2", "font/woff2"}, {"ttf", "font/ttf"}, {"otf", "font/otf"},
      {"mp3", "audio/mpeg"}, {"ogg", "audio/ogg"}, {"wav", "audio/wav"}, {"mp4", "video/mp4"},
      {"webm", "video/webm"}, {"wasm", "application/wasm"},
  };
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    const std::string extension = name.substr(dot + 1);
    for (const auto& t : kTypes) {
      if (g_ascii_strcasecmp(extension.c_str(), t.extension) == 0) return t.type;
    }
  }
  return "application/octet-stream";
}

}  // namespace lobby::player
