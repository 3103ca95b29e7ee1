// Planting links where a test needs one, on either system. On Windows a link is a reparse
// point: a junction for a directory (no privilege needed), else a symbolic link, which may
// need a privilege the test does not have. Wine makes neither, so there such cases skip.
#pragma once

#include <string>

namespace testsupport {

// A link at `link` leading to `target`; false when this system could not make one.
bool PlantLink(const std::string& target, const std::string& link, bool directory = false);

// True when `path` itself is a link (not followed).
bool IsLink(const std::string& path);

inline constexpr const char* kNoLinks = "this system makes no symbolic links or junctions here (Wine has none)";

}  // namespace testsupport
