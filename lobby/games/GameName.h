// A game name from the movie becomes a directory and an executable name below the lobby.
#pragma once

#include "text/Text.h"

namespace lobby {

// True for a single plain path component: not empty, not "." or "..", no separators, no
// control characters, at most 255 units. Anything else could reach outside the lobby's
// directory, so it names no game.
bool IsPlainGameName(text::WStringView name);

}  // namespace lobby
