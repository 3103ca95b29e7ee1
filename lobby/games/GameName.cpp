#include "lobby/games/GameName.h"

namespace lobby {

bool IsPlainGameName(text::WStringView name) {
  if (name.empty() || name.size() > 255 || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c < 0x20 || c == 0x7F || c == u'/' || c == u'\\') return false;
  }
  return true;
}

}  // namespace lobby
