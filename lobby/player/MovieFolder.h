// Where the movie lives and which addresses belong to it. The bridge serves pages of the movie's
// own folder (and the folders below it) only; everything here is plain GLib, no web engine.
#pragma once

#include <optional>
#include <string>

namespace lobby::player {

// The movie file's address and the address of its folder (ending in "/").
struct MovieAddress {
  std::string fileUri;
  std::string folderUri;
  std::string folderPath;  // absolute, without a trailing "/"
};

// A "\" written by a Windows-made configuration becomes "/". Nothing for a relative or empty
// path, or one that cannot be made a file address.
std::optional<MovieAddress> MakeMovieAddress(const std::string& path);

// True when `uri` is a file address of a page inside the movie's folder or below it. A query or
// a fragment does not matter; ".." segments and encoded slashes never lead out.
bool IsInsideMovieFolder(const std::string& uri, const MovieAddress& movie);

// What a navigation away from the current page may become.
enum class NavigationVerdict { kLoad, kOpenOutside, kRefuse };

// Pages of the movie's folder load; web addresses are opened outside; the rest is refused.
NavigationVerdict JudgeNavigation(const std::string& uri, const MovieAddress& movie);

// http and https addresses, whatever the case of the scheme.
bool IsWebAddress(const std::string& uri);

}  // namespace lobby::player
