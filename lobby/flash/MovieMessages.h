// Every message the host sends to the movie, built as one-line invoke documents.
#pragma once

#include <cstdint>

#include "text/Text.h"

namespace lobby {

class ClientConfig;

// "LoginServer": the configuration and remembered account data.
text::WString LoginServerMessage(const ClientConfig& config);
// "CheckGameResult" / "UpdateGameResult": game name, result and the request's GameParam markup.
text::WString GameResultMessage(text::WStringView name, text::WStringView gameName, int32_t result,
                                text::WStringView gameParamMarkup);
text::WString LoginGameMessage();
text::WString LogoutGameMessage();
text::WString LogoutServerMessage();
text::WString RightClickMessage();

}  // namespace lobby
