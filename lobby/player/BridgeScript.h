// The bridge script as the view injects it: the source compiled in from bridge.js, with this
// view's own token in place.
#pragma once

#include <string>

namespace lobby::player {

// The script-message channel the bridge posts on.
inline constexpr const char* kBridgeChannel = "zemba";
// The fixed body the host runs in the page to hand the movie one invoke document; the
// document itself goes in as the argument `request` (bridge.js defines the function).
inline constexpr const char* kDeliverBody = "__zembaDeliver(request);";

// 32 hexadecimal digits from the system's random source; empty if it cannot be read.
std::string NewBridgeToken();

// The bridge source with `token` (hexadecimal digits only) as its secret.
std::string BridgeScriptSource(const std::string& token);

}  // namespace lobby::player
