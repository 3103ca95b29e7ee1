#include "lobby/update/HandOverPause.h"

namespace lobby {

bool HandOverPaused(const std::optional<contract::SelfUpdateMarker>& marker, text::WStringView announced, int64_t now) {
  if (!marker) return false;
  const int64_t age = now - marker->time;
  // A marker from the future (a clock set back) counts as fresh for no longer than a pause.
  if (age < -kHandOverPauseSeconds) return false;
  if (age < kJustFailedSeconds) return true;
  return marker->version == announced && age < kHandOverPauseSeconds;
}

}  // namespace lobby
