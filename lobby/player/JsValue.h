// Reading the objects pages post to the view's message handlers.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

namespace lobby::player {

// A string member of a message object; empty when absent or not a string.
inline std::string StringMember(JSCValue* object, const char* name) {
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

}  // namespace lobby::player
