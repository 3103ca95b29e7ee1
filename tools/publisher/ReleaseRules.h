// What a release may be called: the program name the lobby's host accepts, a brand word, and a
// version every client reads the same way.
#pragma once

#include <optional>

#include "text/Text.h"

namespace publisher {

// A version is 1 to 4 dot-separated parts of ASCII digits, each without a leading zero ("0"
// itself is fine), at most 32 bytes (the list's field). None when `version` has that shape,
// else a message that states the rule.
std::optional<text::WString> VersionShapeProblem(text::WStringView version);

// None when clients would see `version` as newer than `current` (it sorts after it as text),
// else a message that says why not. `what` names `current` ("the highest published version").
std::optional<text::WString> NotNewerProblem(text::WStringView version, text::WStringView current,
                                             text::WStringView what);

// The program name must be one the lobby's host takes as a game directory (the plain-name
// rule) and fit the list (code page 936, 32 bytes); the brand word must be a plain name.
std::optional<text::WString> NameProblem(text::WStringView name, text::WStringView corp);

}  // namespace publisher
