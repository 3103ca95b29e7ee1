// Every message the host sends to the movie, built as one-line invoke documents.
#pragma once

#include <cstdint>
#include <optional>

#include "text/Text.h"

namespace lobby {

class ClientConfig;

// "LoginServer": the configuration and remembered account data.
text::WString LoginServerMessage(const ClientConfig& config);
// "CheckGameResult" / "UpdateGameResult": game name, result and the request's GameParam markup.
text::WString GameResultMessage(text::WStringView name, text::WStringView gameName, int32_t result,
                                text::WStringView gameParamMarkup);

// What an answer tells beside its Result, as strings; an empty one is not sent.
struct GameResultDetails {
  text::WString reason;   // "Reason": why a check gave no usable answer
  text::WString outcome;  // "Outcome": how the updater's run ended
};
// The same message with the details after the Result's properties.
text::WString GameResultMessage(text::WStringView name, text::WStringView gameName, int32_t result,
                                text::WStringView gameParamMarkup, const GameResultDetails& details);
// The updater's exit code as the movie reads it: "installed", "nothingToDo", "refused",
// "notRun", or "failed" (also for a code it does not define, or no code at all).
text::WString UpdaterOutcomeWord(std::optional<int> exitCode);

text::WString LoginGameMessage();
text::WString LogoutGameMessage();
text::WString LogoutServerMessage();
text::WString RightClickMessage();

}  // namespace lobby
