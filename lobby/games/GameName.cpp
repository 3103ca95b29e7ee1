#include "lobby/games/GameName.h"

#include "platform/Paths.h"

namespace lobby {

bool IsPlainGameName(text::WStringView name) { return platform::IsPlainName(name); }

}  // namespace lobby
