#include <cctype>

#include "platform/HttpRequest.h"

namespace platform {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string HttpAnswer::Field(std::string_view name) const {
  for (const auto& [n, v] : fields) {
    if (SameName(n, name)) return v;
  }
  return {};
}

void HttpAnswer::AddLine(std::string_view line) {
  if (line.rfind("HTTP/", 0) == 0) {
    fields.clear();  // a redirect's or an interim answer's fields are not this answer's
    return;
  }
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  fields.emplace_back(std::string(Trimmed(line.substr(0, colon))), std::string(Trimmed(line.substr(colon + 1))));
}

}  // namespace platform
