// The answer to one request of the movie's scheme, made from the movie's folder alone. The
// address is decoded once; whatever it names must, after every link is followed, be a regular
// file inside the folder. The file is opened without blocking and checked on the open
// descriptor, so a pipe or a device never stalls the main loop, and it is read up to a cap.
#pragma once

#include <cstddef>
#include <string>

namespace lobby::player {

// The largest file the movie may read in one request.
inline constexpr size_t kMaxMovieFileBytes = 64u << 20;

enum class MovieFileStatus {
  kOk,
  kNotFound,  // nothing at that name (404)
  kRefused,   // outside the folder, not a regular file, or an address that does not decode (403)
  kTooLarge,  // larger than kMaxMovieFileBytes (413)
};

struct MovieFile {
  MovieFileStatus status = MovieFileStatus::kNotFound;
  std::string bytes;
  std::string contentType;  // by the name's extension
};

// `folder` is the folder's resolved path (MovieAddress::folderPath); `uri` the requested
// address, kMovieRoot and a path, with or without a query or a fragment.
MovieFile ReadMovieFile(const std::string& folder, const std::string& uri);

// The HTTP status that goes with a status.
int HttpStatus(MovieFileStatus status);

// The content type of a file name, by its extension in any case; unknown ones are
// "application/octet-stream".
std::string ContentTypeFor(const std::string& name);

}  // namespace lobby::player
