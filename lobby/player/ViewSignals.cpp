#include "lobby/player/ViewSignals.h"

#include "lobby/core/DevMode.h"
#include "lobby/player/BridgeScript.h"
#include "lobby/player/ViewCore.h"

namespace lobby::player {
namespace {

using WeakCore = std::weak_ptr<ViewCore>;

std::shared_ptr<ViewCore> Lock(gpointer data) { return static_cast<WeakCore*>(data)->lock(); }

void FreeWeak(gpointer data, GClosure*) { delete static_cast<WeakCore*>(data); }

void Connect(gpointer instance, const char* signal, GCallback callback,
             const std::shared_ptr<ViewCore>& core) {
  g_signal_connect_data(instance, signal, callback, new WeakCore(core), FreeWeak,
                        static_cast<GConnectFlags>(0));
}

void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
  if (auto core = Lock(data)) core->OnScriptMessage(webkit_javascript_result_get_js_value(result));
}

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                        WebKitPolicyDecisionType type, gpointer data) {
  auto core = Lock(data);
  if (!core) {
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  return core->OnDecidePolicy(decision, type);
}

void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
  if (auto core = Lock(data)) core->OnLoadChanged(event);
}

gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
  auto core = Lock(data);
  return core && core->OnLoadFailed(uri ? uri : "", error);
}

void OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer data) {
  if (auto core = Lock(data)) core->OnPageProcessEnded();
}

void OnResponsiveness(GObject*, GParamSpec*, gpointer data) {
  if (auto core = Lock(data)) core->OnResponsivenessChanged();
}

// New windows are never made: a web address goes to the user's browser instead.
GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer data) {
  if (auto core = Lock(data)) core->OnCreateRequest(action);
  return nullptr;
}

// No menu, except the engine's own (with "Inspect Element") in dev mode.
gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                       gpointer) {
  return !MovieDevMode();
}

gboolean OnButton(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto core = Lock(data);
  return core && core->OnButton(event);
}

}  // namespace

void ConnectViewSignals(const std::shared_ptr<ViewCore>& core, WebKitWebView* view,
                        WebKitUserContentManager* content) {
  const std::string message_signal = std::string("script-message-received::") + kBridgeChannel;
  Connect(content, message_signal.c_str(), G_CALLBACK(OnScriptMessage), core);
  Connect(view, "decide-policy", G_CALLBACK(OnDecidePolicy), core);
  Connect(view, "load-changed", G_CALLBACK(OnLoadChanged), core);
  Connect(view, "load-failed", G_CALLBACK(OnLoadFailed), core);
  Connect(view, "create", G_CALLBACK(OnCreate), core);
  Connect(view, "web-process-terminated", G_CALLBACK(OnWebProcessTerminated), core);
  Connect(view, "notify::is-web-process-responsive", G_CALLBACK(OnResponsiveness), core);
  Connect(view, "button-press-event", G_CALLBACK(OnButton), core);
  Connect(view, "button-release-event", G_CALLBACK(OnButton), core);
  g_signal_connect(view, "context-menu", G_CALLBACK(OnContextMenu), nullptr);
}

}  // namespace lobby::player
