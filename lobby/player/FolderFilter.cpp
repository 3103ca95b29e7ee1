#include "lobby/player/FolderFilter.h"

#include <glib.h>

namespace lobby::player {
namespace {

// The rule language is a small regular-expression dialect: every character that is not
// plainly literal is escaped. The result sits inside a JSON string, hence the double backslash.
std::string LiteralPattern(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (!g_ascii_isalnum(c) && c != '/' && c != '%' && c != '-' && c != '_' && c != ':') {
      out += "\\\\";
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string FolderFilterRules(const std::string& folderUri) {
  return "[{\"trigger\":{\"url-filter\":\"^file:\"},\"action\":{\"type\":\"block\"}},"
         "{\"trigger\":{\"url-filter\":\"^" + LiteralPattern(folderUri) +
         "\",\"url-filter-is-case-sensitive\":true},"
         "\"action\":{\"type\":\"ignore-previous-rules\"}}]";
}

}  // namespace lobby::player
