// The state of one movie view and what it does with the web engine's signals. Shared with the
// GLib callbacks through weak references only: once the view is deleted, a late callback finds
// nothing and touches nothing.
#pragma once

#include <webkit2/webkit2.h>

#include <memory>
#include <optional>
#include <string>

#include "lobby/player/MovieFolder.h"
#include "lobby/player/PlayerModule.h"
#include "lobby/player/RequestQueue.h"

namespace lobby::player {

class ViewCore : public std::enable_shared_from_this<ViewCore> {
 public:
  // A view with its bridge; null when the engine cannot make one.
  static std::shared_ptr<ViewCore> Create(IPlayerEvents* events);
  ~ViewCore();
  ViewCore(const ViewCore&) = delete;
  ViewCore& operator=(const ViewCore&) = delete;

  GtkWidget* Widget() const { return GTK_WIDGET(view_); }
  bool LoadMovie(const std::string& path);
  void ShowPage(const std::string& html);
  void CallFunction(std::string request);
  void ForwardKey(const GdkEventKey* event);

  // Signal handlers (ViewSignals.cpp connects them).
  void OnScriptMessage(JSCValue* message);
  bool OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  void OnLoadChanged(WebKitLoadEvent event);
  // True when the failure is handled here and the engine shows no error page.
  bool OnLoadFailed(const std::string& uri, const GError* error);
  void OnCreateRequest(WebKitNavigationAction* action);
  bool OnButton(const GdkEventButton* event);
  void OnPageProcessEnded();
  void OnResponsivenessChanged();
  // One request of the movie's scheme made by this view.
  void OnMovieRequest(WebKitURISchemeRequest* request);

 private:
  ViewCore(IPlayerEvents* events, std::string token);
  bool Build();
  void Deliver(const std::string& request);
  void BecomeReady();
  bool IsMoviePage(const std::string& uri) const;
  bool DecideNavigation(WebKitPolicyDecision* decision);
  void OpenOutside(const std::string& uri);

  IPlayerEvents* events_;
  const std::string token_;
  WebKitUserContentManager* content_ = nullptr;  // owned reference
  WebKitWebView* view_ = nullptr;                // owned reference (sunk)
  std::optional<MovieAddress> movie_;
  std::string committedUri_;
  RequestQueue queue_;
};

}  // namespace lobby::player
