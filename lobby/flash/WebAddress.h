// The movie may open web pages, nothing else: no local files, no programs, no other schemes.
#pragma once

#include <optional>
#include <string>

#include "text/Text.h"

namespace lobby {

// The address as UTF-8 when it is an absolute http or https URL with a host; nothing otherwise,
// and nothing when it holds a control, a blank, an invisible or space-like character or one that
// changes the writing direction, written plainly or percent-encoded ("%20" is allowed).
std::optional<std::string> CheckedWebAddress(text::WStringView address);

}  // namespace lobby
