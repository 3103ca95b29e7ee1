// The peer of the lobby benchmark: the least a WebKitGTK program needs to show a page and
// answer its script messages. One window, one view, one handler that echoes each message back
// into the page. Usage: minimal_view <page file>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace {

void OnEcho(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer view) {
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  gchar* text = jsc_value_to_string(value);
  GVariantDict args;
  g_variant_dict_init(&args, nullptr);
  g_variant_dict_insert(&args, "message", "s", text ? text : "");
  webkit_web_view_call_async_javascript_function(WEBKIT_WEB_VIEW(view), "window.__echo(message)", -1,
                                                 g_variant_dict_end(&args), nullptr, nullptr,
                                                 nullptr, nullptr, nullptr);
  g_free(text);
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 2) return 2;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "MinimalView");
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  GtkWidget* view = webkit_web_view_new_with_user_content_manager(content);
  g_signal_connect(content, "script-message-received::echo", G_CALLBACK(OnEcho), view);
  webkit_user_content_manager_register_script_message_handler(content, "echo");
  gtk_container_add(GTK_CONTAINER(window), view);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gchar* uri = g_filename_to_uri(argv[1], nullptr, nullptr);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), uri);
  g_free(uri);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
