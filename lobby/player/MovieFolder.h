// Where the movie lives and which addresses belong to it. The movie is served through the
// lobby's own scheme, never as file addresses: its page is "quorvane://movie/<file>", and
// everything below "quorvane://movie/" is answered from the movie's folder alone (MovieFile.h).
// Everything here is plain GLib, no web engine.
#pragma once

#include <optional>
#include <string>

namespace lobby::player {

inline constexpr const char* kMovieScheme = "quorvane";
// Every address of the movie starts with this; a page's relative addresses stay below it.
inline constexpr const char* kMovieRoot = "quorvane://movie/";

// The movie page's address and its folder.
struct MovieAddress {
  std::string pageUri;     // kMovieRoot + the page's file name, escaped
  std::string folderPath;  // the folder as the system resolves it: absolute, no links
};

// A "\" written by a Windows-made configuration becomes "/". Nothing for a relative or empty
// path, a path with ".." levels, or one whose folder does not exist.
std::optional<MovieAddress> MakeMovieAddress(const std::string& path);

// True for an address of the movie's scheme and host, whatever its path: the files behind it
// are the movie folder's only.
bool IsMovieAddress(const std::string& uri);

// What a navigation away from the current page may become.
enum class NavigationVerdict { kLoad, kOpenOutside, kRefuse };

// Addresses of the movie load; web addresses are opened outside; the rest is refused.
NavigationVerdict JudgeNavigation(const std::string& uri);

// http and https addresses, whatever the case of the scheme.
bool IsWebAddress(const std::string& uri);

}  // namespace lobby::player
