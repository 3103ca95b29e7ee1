#include "lobby/flash/DevWarning.h"

#include <cstdio>
#include <string>

#include "lobby/core/DevMode.h"

namespace lobby {
namespace {

// Digits with an optional sign: what reads as the number it shows.
bool IsWholeNumber(text::WStringView s) {
  size_t i = (!s.empty() && (s[0] == u'-' || s[0] == u'+')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
  }
  return true;
}

}  // namespace

// Straight to standard error on every system: the page author reads it in the terminal that
// started the lobby.
void DevWarning(text::WStringView line) {
  if (!MovieDevMode()) return;
  const std::string bytes = "Quorvane dev: " + text::ToUtf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

void WarnUnlessNumbers(text::WStringView where, const std::vector<ArgumentProperty>& props,
                       std::initializer_list<text::WStringView> ids) {
  if (!MovieDevMode()) return;
  for (const ArgumentProperty& p : props) {
    for (text::WStringView id : ids) {
      if (p.id != id) continue;
      const bool number = p.markup.rfind(u"<number>", 0) == 0 && IsWholeNumber(p.value);
      if (number) continue;
      DevWarning(text::WString(where) + u": " + p.id + u" is not a whole number (" + p.markup +
                 u"); it reads as " + text::FromUtf8(std::to_string(text::ParseInt64(p.value))));
    }
  }
}

}  // namespace lobby
