// The movie may open web pages, nothing else: no local files, no programs, no other schemes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/Text.h"

namespace lobby {

// The address as UTF-8 when it is an absolute http or https URL with a host; nothing otherwise,
// and nothing when it holds a control, a blank, an invisible or space-like character or one that
// changes the writing direction, written plainly or percent-encoded ("%20" is allowed).
std::optional<std::string> CheckedWebAddress(text::WStringView address);

// Schemes no link may use whatever the configuration names: they run script, show data the
// link itself carries, or reach local files or the lobby's own pages.
inline constexpr const char* kNeverLinkSchemes[] = {"javascript", "vbscript", "data", "file", "blob",
                                                    "filesystem", "about", "view-source", "quorvane"};

// The schemes of a space- or comma-separated list, lower case: only well-formed scheme names
// (a letter, then letters, digits, "+", "-", "."), none of kNeverLinkSchemes.
std::vector<std::string> ReadLinkSchemes(text::WStringView list);

// A link of the operator's configuration (the title strip's buttons): a checked web address, a
// "mailto:" address, or an address of one of `schemes` (from ReadLinkSchemes). The scheme
// compares without regard to case and is returned in lower case; the rest of the address is
// held to the same characters as a web address.
std::optional<std::string> CheckedOperatorLink(text::WStringView address, const std::vector<std::string>& schemes);

}  // namespace lobby
