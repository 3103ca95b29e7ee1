// The bridge script as the view injects it: the source compiled in from bridge.js, with this
// view's own token in place.
#pragma once

#include <string>

namespace lobby::player {

// The script-message channel the bridge posts on.
inline constexpr const char* kBridgeChannel = "zemba";
// The page-side function the host calls to hand the movie one invoke document.
inline constexpr const char* kDeliverFunction = "__zembaDeliver";

// 32 hexadecimal digits from the system's random source; empty if it cannot be read.
std::string NewBridgeToken();

// The bridge source with `token` (hexadecimal digits only) as its secret.
std::string BridgeScriptSource(const std::string& token);

}  // namespace lobby::player
