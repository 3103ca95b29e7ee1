// Whether the lobby hands over to the updater at start-up after a self-update that did not
// install. Without a pause, a server that announces a newer lobby whose files are missing (or
// a forged announcement the updater refuses) would end every launch in the updater's window.
#pragma once

#include <cstdint>
#include <optional>

#include "contract/SelfUpdateMarker.h"
#include "text/Text.h"

namespace lobby {

// For an hour the same version is not tried again: long enough that the player gets to play,
// short enough that a release the operator repaired still arrives the same day.
inline constexpr int64_t kHandOverPauseSeconds = 60 * 60;
// Right after a failed run (the updater has just restarted the lobby) no version is tried, so an
// announcement that changes at every request cannot keep the player out either.
inline constexpr int64_t kJustFailedSeconds = 2 * 60;

// True when the lobby must not hand over for `announced` now (seconds since 1970).
bool HandOverPaused(const std::optional<contract::SelfUpdateMarker>& marker, text::WStringView announced, int64_t now);

}  // namespace lobby
