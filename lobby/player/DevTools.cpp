#include "lobby/player/DevTools.h"

#include <gdk/gdkkeysyms.h>

#include <cstdio>
#include <string>

#include "lobby/player/BridgeSource.h"
#include "lobby/player/JsValue.h"

namespace lobby::player {
namespace {

constexpr const char* kDevChannel = "zembaDev";
// A console line longer than this is cut: the terminal is for reading.
constexpr size_t kMaxLineBytes = 4096;


// Control characters (C0, DEL and C1, as UTF-8) become "?": a page's text must not steer the
// author's terminal with escape sequences.
std::string Printable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      out += '?';
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      out += '?';
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// "Quorvane page console.log: text (quorvane://movie/index.html:12:9)"
void OnDevMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
  JSCValue* message = webkit_javascript_result_get_js_value(result);
  if (!message || !jsc_value_is_object(message)) return;
  std::string text = StringMember(message, "text");
  if (text.size() > kMaxLineBytes) text = text.substr(0, kMaxLineBytes) + "…";
  const std::string at = StringMember(message, "at");
  std::string line = "Quorvane page " + StringMember(message, "k") + ": " + text;
  if (!at.empty()) line += " (" + at + ")";
  line = Printable(line) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer) {
  const bool control = (event->state & GDK_CONTROL_MASK) != 0;
  if (event->keyval == GDK_KEY_F5 || (control && (event->keyval == GDK_KEY_r || event->keyval == GDK_KEY_R))) {
    webkit_web_view_reload(WEBKIT_WEB_VIEW(widget));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void EnableDevTools(WebKitWebView* view, WebKitUserContentManager* content) {
  webkit_settings_set_enable_developer_extras(webkit_web_view_get_settings(view), TRUE);
  const std::string signal = std::string("script-message-received::") + kDevChannel;
  g_signal_connect(content, signal.c_str(), G_CALLBACK(OnDevMessage), nullptr);
  webkit_user_content_manager_register_script_message_handler(content, kDevChannel);
  WebKitUserScript* script = webkit_user_script_new(kDevSource, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
                                                    nullptr, nullptr);
  webkit_user_content_manager_add_script(content, script);
  webkit_user_script_unref(script);
  g_signal_connect(view, "key-press-event", G_CALLBACK(OnKey), nullptr);
}

}  // namespace lobby::player
