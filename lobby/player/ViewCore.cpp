#include "lobby/player/ViewCore.h"

#include "lobby/core/DevMode.h"
#include "lobby/player/BridgeScript.h"
#include "lobby/player/DevTools.h"
#include "lobby/player/JsValue.h"
#include "lobby/player/MovieFile.h"
#include "lobby/player/MovieScheme.h"
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


std::string ViewUri(WebKitWebView* view) {
  const gchar* uri = webkit_web_view_get_uri(view);
  return uri ? uri : "";
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
  RegisterMovieScheme();
  content_ = webkit_user_content_manager_new();
  GtkWidget* widget = webkit_web_view_new_with_user_content_manager(content_);
  if (!widget) return false;
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(widget));
  // Until the page paints, and wherever it paints nothing, the view is the window's black.
  const GdkRGBA black{0, 0, 0, 1};
  webkit_web_view_set_background_color(view_, &black);
  WebKitSettings* settings = webkit_web_view_get_settings(view_);
  webkit_settings_set_enable_developer_extras(settings, kDeveloperExtras);
  webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
  webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
  AttachMovieScheme(view_, shared_from_this());
  // The handler is connected before the channel exists, so no early message is lost.
  ConnectViewSignals(shared_from_this(), view_, content_);
  if (!webkit_user_content_manager_register_script_message_handler(content_, kBridgeChannel)) {
    return false;
  }
  if (MovieDevMode()) EnableDevTools(view_, content_);
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
  // A page its folder cannot serve would only become the engine's own error page.
  if (!movie || ReadMovieFile(movie->folderPath, movie->pageUri).status != MovieFileStatus::kOk) return false;
  // Requests made before the first movie wait for it; those left for an earlier movie are
  // not handed to a new page that never asked for them.
  if (movie_) queue_.Reset(); else queue_.SetNotReady();
  movie_ = std::move(movie);
  committedUri_.clear();
  webkit_web_view_load_uri(view_, movie_->pageUri.c_str());
  return true;
}

// Without a movie the page is no movie page: the bridge ignores it and the scheme serves it
// nothing. No base address: it is "about:blank", of no origin.
void ViewCore::ShowPage(const std::string& html) {
  movie_.reset();
  committedUri_.clear();
  queue_.Reset();
  webkit_web_view_load_html(view_, html.c_str(), nullptr);
}

void ViewCore::OnMovieRequest(WebKitURISchemeRequest* request) {
  AnswerMovieRequest(request, movie_ ? movie_->folderPath : std::string());
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

bool ViewCore::IsMoviePage(const std::string& uri) const { return movie_ && IsMovieAddress(uri); }

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
  events_->OnPageUnresponsive();
  if (movie_) webkit_web_view_load_uri(view_, movie_->pageUri.c_str());
}

void ViewCore::OnResponsivenessChanged() {
  if (!webkit_web_view_get_is_web_process_responsive(view_)) events_->OnPageUnresponsive();
}

// One press of the right button is the movie's right click; the page never sees the button,
// so it shows no menu, and the double- and triple-press repeats add nothing.
bool ViewCore::OnButton(const GdkEventButton* event) {
  if (event->button != GDK_BUTTON_SECONDARY) return false;
  if (event->type == GDK_BUTTON_PRESS) events_->OnRightClick();
  // In dev mode the engine's context menu, with its inspector, comes as well.
  return !MovieDevMode();
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
