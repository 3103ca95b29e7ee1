// The lobby's own page for a movie that cannot be shown: it says, in the player's language,
// what is wrong and where the lobby looked, instead of the web engine's error page.
#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace lobby {

enum class MovieProblem {
  kMissing,          // no page file the movie folder can serve at that path
  kNotLocal,         // Config.cfg names an address (http://...), not a file
  kNotBelowProgram,  // the page's folder is not a folder below the program directory
};

// True when the movie entry of Config.cfg is an address with a scheme ("http://...",
// "file:..."): a scheme of two or more characters, so "C:\..." stays a path.
bool NamesAnAddress(text::WStringView entry);

// Text with "&", "<", ">", '"' and "'" written as character references.
std::string EscapeHtml(std::string_view text);

// A complete UTF-8 HTML page without scripts or outside resources. `where` is the path or
// address that could not be shown, `configFile` the configuration that names it.
std::string MovieProblemPage(MovieProblem problem, const std::string& where, const std::string& configFile);

}  // namespace lobby
