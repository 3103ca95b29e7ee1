// The movie may open web pages, nothing else: no local files, no programs, no other schemes.
#pragma once

#include <optional>
#include <string>

#include "text/Text.h"

namespace lobby {

// The address as UTF-8 when it is an absolute http or https URL with a host; nothing otherwise.
std::optional<std::string> CheckedWebAddress(text::WStringView address);

}  // namespace lobby
