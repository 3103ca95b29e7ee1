// The host's side of the page authors' dev mode: a line on standard error whenever a request
// of the page is dropped or read otherwise than it was probably meant. Silent when the mode is
// off, as the lobby always was.
#pragma once

#include <initializer_list>
#include <vector>

#include "lobby/flash/ArgumentObject.h"
#include "text/Text.h"

namespace lobby {

// "Quorvane dev: <line>" on standard error, in dev mode only.
void DevWarning(text::WStringView line);

// In dev mode, warns for each of `ids` present in `props` whose value is not written as a
// number (a string such as "127.0.0.1" reads as 127), saying what it is read as.
void WarnUnlessNumbers(text::WStringView where, const std::vector<ArgumentProperty>& props,
                       std::initializer_list<text::WStringView> ids);

}  // namespace lobby
