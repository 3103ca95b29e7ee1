// The page authors' tools of the dev mode (lobby/core/DevMode.h): the engine's inspector in the
// context menu, F5 and Ctrl+R reload the page, and the page's console messages and uncaught
// errors go to the lobby's standard error. Nothing here is set up when the mode is off.
#pragma once

#include <webkit2/webkit2.h>

namespace lobby::player {

// Sets up the tools for this view; call once, before the first page loads.
void EnableDevTools(WebKitWebView* view, WebKitUserContentManager* content);

}  // namespace lobby::player
