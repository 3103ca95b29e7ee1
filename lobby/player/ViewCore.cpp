#include "lobby/player/ViewCore.h"

#include "lobby/player/BridgeScript.h"
#include "lobby/player/ViewSignals.h"
#include "text/Text.h"

namespace lobby::player {
namespace {

// A movie message larger than this is dropped rather than copied around.
constexpr size_t kMaxMessageBytes = 1 << 20;

#ifdef NDEBUG
constexpr gboolean kDeveloperExtras = FALSE;
#else
constexpr gboolean kDeveloperExtras = TRUE;
#endif

// A string member of a message object; empty when absent or not a string.
std::string StringMember(JSCValue* object, const char* name) {
  JSCValue* value = jsc_value_object_get_property(object, name);
  std::string out;
  if (value && jsc_value_is_string(value)) {
    gchar* s = jsc_value_to_string(value);
    out = s ? s : "";
    g_free(s);
  }
  if (value) g_object_unref(value);
  return out;
}

std::string ViewUri(WebKitWebView* view) {
  const gchar* uri = webkit_web_view_get_uri(view);
  return uri ? uri : "";
}

std::string RequestUri(WebKitNavigationAction* action) {
  const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  return uri ? uri : "";
}

// Empty frames made by the page itself (about:blank, srcdoc) hold no foreign content.
bool IsEmptyFrameAddress(const std::string& uri) {
  return uri == "about:blank" || uri == "about:srcdoc";
}

bool IsUserNavigation(WebKitNavigationAction* action) {
  switch (webkit_navigation_action_get_navigation_type(action)) {
    case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
    case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
      return true;
    default:
      return false;
  }
}

}  // namespace

ViewCore::ViewCore(IPlayerEvents* events, std::string token)
    : events_(events), token_(std::move(token)) {}

std::shared_ptr<ViewCore> ViewCore::Create(IPlayerEvents* events) {
  std::string token = NewBridgeToken();
  if (!events || token.empty()) return nullptr;
  std::shared_ptr<ViewCore> core(new ViewCore(events, std::move(token)));
  if (!core->Build()) return nullptr;
  return core;
}

bool ViewCore::Build() {
  content_ = webkit_user_content_manager_new();
  GtkWidget* widget = webkit_web_view_new_with_user_content_manager(content_);
  if (!widget) return false;
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(widget));
  WebKitSettings* settings = webkit_web_view_get_settings(view_);
  webkit_settings_set_enable_developer_extras(settings, kDeveloperExtras);
  webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
  webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
  // The handler is connected before the channel exists, so no early message is lost.
  ConnectViewSignals(shared_from_this(), view_, content_);
  if (!webkit_user_content_manager_register_script_message_handler(content_, kBridgeChannel)) {
    return false;
  }
  const std::string source = BridgeScriptSource(token_);
  WebKitUserScript* script = webkit_user_script_new(
      source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content_, script);
  webkit_user_script_unref(script);
  return true;
}

ViewCore::~ViewCore() {
  if (view_) {
    gtk_widget_destroy(GTK_WIDGET(view_));
    g_object_unref(view_);
  }
  if (content_) g_object_unref(content_);
}

bool ViewCore::LoadMovie(const std::string& path) {
  std::optional<MovieAddress> movie = MakeMovieAddress(path);
  if (!movie) return false;
  // Requests made before the first movie wait for it; those left for an earlier movie are
  // not handed to a new page that never asked for them.
  if (movie_) queue_.Reset(); else queue_.SetNotReady();
  movie_ = std::move(movie);
  committedUri_.clear();
  const unsigned generation = ++generation_;
  std::weak_ptr<ViewCore> weak = weak_from_this();
  auto ready = [weak, generation](WebKitUserContentFilter* filter) {
    if (auto core = weak.lock()) core->OnFilterReady(generation, filter);
  };
  if (!filters_.Compile(movie_->folderUri, std::move(ready))) StartLoad(false);
  return true;
}

// File access is switched on only together with the rules that keep it to the movie's folder;
// without them the movie still loads, but reads no file at all.
void ViewCore::OnFilterReady(unsigned generation, WebKitUserContentFilter* filter) {
  if (generation != generation_) return;
  webkit_user_content_manager_remove_all_filters(content_);
  if (filter) webkit_user_content_manager_add_filter(content_, filter);
  StartLoad(filter != nullptr);
}

void ViewCore::StartLoad(bool withFileAccess) {
  WebKitSettings* settings = webkit_web_view_get_settings(view_);
  webkit_settings_set_allow_file_access_from_file_urls(settings, withFileAccess);
  webkit_web_view_load_uri(view_, movie_->fileUri.c_str());
}

void ViewCore::CallFunction(std::string request) {
  queue_.Send(std::move(request), [this](const std::string& r) { Deliver(r); });
}

// The request travels as an argument of a fixed function body: it is data, never code.
void ViewCore::Deliver(const std::string& request) {
  if (!IsMoviePage(committedUri_)) return;
  GVariantDict arguments;
  g_variant_dict_init(&arguments, nullptr);
  g_variant_dict_insert(&arguments, "request", "s", request.c_str());
  GVariant* packed = g_variant_ref_sink(g_variant_dict_end(&arguments));
  webkit_web_view_call_async_javascript_function(view_, kDeliverBody, -1, packed, nullptr,
                                                 nullptr, nullptr, nullptr, nullptr);
  g_variant_unref(packed);
}

void ViewCore::BecomeReady() {
  if (IsMoviePage(committedUri_)) queue_.SetReady([this](const std::string& r) { Deliver(r); });
}

bool ViewCore::IsMoviePage(const std::string& uri) const {
  return movie_ && IsInsideMovieFolder(uri, *movie_);
}

// Only the bridge of a movie page knows the token; a message without it, or one arriving
// while the view shows anything but the movie, is dropped.
void ViewCore::OnScriptMessage(JSCValue* message) {
  if (!message || !jsc_value_is_object(message)) return;
  if (StringMember(message, "t") != token_ || !IsMoviePage(committedUri_)) return;
  const std::string kind = StringMember(message, "k");
  const std::string a = StringMember(message, "a");
  const std::string b = StringMember(message, "b");
  if (a.size() + b.size() > kMaxMessageBytes) return;
  BecomeReady();  // a page that speaks has its bridge and its callbacks in place
  if (kind == "call") {
    events_->OnFlashCall(text::FromUtf8(a));
  } else if (kind == "fscommand") {
    events_->OnFSCommand(text::FromUtf8(a), text::FromUtf8(b));
  }
}

bool ViewCore::OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
      return DecideNavigation(decision);
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
      OnCreateRequest(webkit_navigation_policy_decision_get_navigation_action(
          WEBKIT_NAVIGATION_POLICY_DECISION(decision)));
      webkit_policy_decision_ignore(decision);
      return TRUE;
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
      // The main frame never shows a document from outside the movie's folder. A web page the
      // movie sent the main frame to is opened outside instead.
      auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
      if (!webkit_response_policy_decision_is_main_frame_main_resource(response)) return FALSE;
      const gchar* address =
          webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(response));
      const std::string uri = address ? address : "";
      if (IsMoviePage(uri)) return FALSE;
      webkit_policy_decision_ignore(decision);
      if (IsWebAddress(uri)) OpenOutside(uri);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// The engine does not say here which frame navigates. Pages of the movie's folder load in any
// frame; a web address the user followed opens outside; other web loads go on, since a frame
// of the movie may show web content, and a main-frame one is stopped at its response (above);
// anything else is refused.
bool ViewCore::DecideNavigation(WebKitPolicyDecision* decision) {
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const std::string uri = RequestUri(action);
  const NavigationVerdict verdict =
      movie_ ? JudgeNavigation(uri, *movie_) : NavigationVerdict::kRefuse;
  bool use = verdict == NavigationVerdict::kLoad || IsEmptyFrameAddress(uri);
  if (verdict == NavigationVerdict::kOpenOutside) {
    use = !IsUserNavigation(action);
    if (!use) OpenOutside(uri);
  }
  if (use) webkit_policy_decision_use(decision); else webkit_policy_decision_ignore(decision);
  return TRUE;
}

void ViewCore::OnLoadChanged(WebKitLoadEvent event) {
  switch (event) {
    case WEBKIT_LOAD_COMMITTED:
      committedUri_ = ViewUri(view_);
      queue_.SetNotReady();
      return;
    case WEBKIT_LOAD_FINISHED:
      BecomeReady();
      return;
    default:
      return;
  }
}

// The page's process died (a crash, or it ran out of memory): the movie starts again rather
// than leaving the lobby blank. Requests wait for the new page.
void ViewCore::OnPageProcessEnded() {
  committedUri_.clear();
  queue_.SetNotReady();
  if (movie_) webkit_web_view_load_uri(view_, movie_->fileUri.c_str());
}

void ViewCore::OnCreateRequest(WebKitNavigationAction* action) {
  const std::string uri = RequestUri(action);
  if (IsWebAddress(uri)) OpenOutside(uri);
}

void ViewCore::OpenOutside(const std::string& uri) { events_->OnExternalLink(uri); }

// One press of the right button is the movie's right click; the page never sees the button,
// so it shows no menu, and the double- and triple-press repeats add nothing.
bool ViewCore::OnButton(const GdkEventButton* event) {
  if (event->button != GDK_BUTTON_SECONDARY) return false;
  if (event->type == GDK_BUTTON_PRESS) events_->OnRightClick();
  return true;
}

void ViewCore::ForwardKey(const GdkEventKey* event) {
  GtkWidget* widget = GTK_WIDGET(view_);
  GdkWindow* window = gtk_widget_get_window(widget);
  if (!event || !window) return;
  gtk_widget_grab_focus(widget);
  GdkEvent* copy = gdk_event_copy(reinterpret_cast<const GdkEvent*>(event));
  if (copy->key.window) g_object_unref(copy->key.window);
  copy->key.window = GDK_WINDOW(g_object_ref(window));
  gtk_widget_event(widget, copy);
  gdk_event_free(copy);
}

}  // namespace lobby::player
