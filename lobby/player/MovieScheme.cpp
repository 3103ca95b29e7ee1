#include "lobby/player/MovieScheme.h"

#include "lobby/player/MovieFile.h"
#include "lobby/player/MovieFolder.h"
#include "lobby/player/ViewCore.h"

namespace lobby::player {
namespace {

constexpr const char* kCoreKey = "zemba-movie-core";

using WeakCore = std::weak_ptr<ViewCore>;

void FreeWeak(gpointer data) { delete static_cast<WeakCore*>(data); }

void Refuse(WebKitURISchemeRequest* request) {
  GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, "not the movie's");
  webkit_uri_scheme_request_finish_error(request, error);
  g_error_free(error);
}

void OnRequest(WebKitURISchemeRequest* request, gpointer) {
  WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
  auto* weak = view ? static_cast<WeakCore*>(g_object_get_data(G_OBJECT(view), kCoreKey)) : nullptr;
  std::shared_ptr<ViewCore> core = weak ? weak->lock() : nullptr;
  if (!core) {
    Refuse(request);
    return;
  }
  core->OnMovieRequest(request);
}

}  // namespace

void RegisterMovieScheme() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  WebKitWebContext* context = webkit_web_context_get_default();
  webkit_web_context_register_uri_scheme(context, kMovieScheme, OnRequest, nullptr, nullptr);
  // Pages of other origins (a web frame of the movie) can neither show nor read its files.
  webkit_security_manager_register_uri_scheme_as_display_isolated(
      webkit_web_context_get_security_manager(context), kMovieScheme);
}

void AttachMovieScheme(WebKitWebView* view, const std::shared_ptr<ViewCore>& core) {
  g_object_set_data_full(G_OBJECT(view), kCoreKey, new WeakCore(core), FreeWeak);
}

void AnswerMovieRequest(WebKitURISchemeRequest* request, const std::string& folder) {
  const gchar* uri = webkit_uri_scheme_request_get_uri(request);
  MovieFile file = ReadMovieFile(folder, uri ? uri : "");
  auto* bytes = new std::string(std::move(file.bytes));
  GBytes* data = g_bytes_new_with_free_func(
      bytes->data(), bytes->size(), [](gpointer p) { delete static_cast<std::string*>(p); }, bytes);
  GInputStream* stream = g_memory_input_stream_new_from_bytes(data);
  WebKitURISchemeResponse* response =
      webkit_uri_scheme_response_new(stream, static_cast<gint64>(g_bytes_get_size(data)));
  webkit_uri_scheme_response_set_status(response, HttpStatus(file.status), nullptr);
  if (file.status == MovieFileStatus::kOk) {
    webkit_uri_scheme_response_set_content_type(response, file.contentType.c_str());
  }
  webkit_uri_scheme_request_finish_with_response(request, response);
  g_object_unref(response);
  g_object_unref(stream);
  g_bytes_unref(data);
}

}  // namespace lobby::player
