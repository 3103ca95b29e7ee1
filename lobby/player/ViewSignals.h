// Connects the web engine's signals to a ViewCore. Each connection owns a weak reference to the
// core (freed by the connection's destroy-notify), so a signal after the view is gone is a no-op.
#pragma once

#include <webkit2/webkit2.h>

#include <memory>

namespace lobby::player {

class ViewCore;

void ConnectViewSignals(const std::shared_ptr<ViewCore>& core, WebKitWebView* view,
                        WebKitUserContentManager* content);

}  // namespace lobby::player
