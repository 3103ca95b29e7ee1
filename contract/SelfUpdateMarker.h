// The marker the updater leaves when a self-update (a run with -reboot) ends without
// installing: the lobby reads it at start-up and, for a while, does not hand over to the
// updater again for the same version, so a broken or forged announcement cannot keep the
// player out.
#pragma once

#include <cstdint>
#include <optional>

#include "contract/Contract.h"
#include "text/Text.h"

namespace contract {

struct SelfUpdateMarker {
  text::WString programDir;  // resolved form
  text::WString version;     // the version the run was to install
  int64_t time = 0;          // when the run ended, seconds since 1970
  UpdaterExit outcome = UpdaterExit::kFailed;
};

bool WriteSelfUpdateMarker(text::WStringView stateDir, const SelfUpdateMarker& marker);
// The marker of this program directory; none when there is none or it names another.
std::optional<SelfUpdateMarker> ReadSelfUpdateMarker(text::WStringView stateDir, text::WStringView programDir);
void RemoveSelfUpdateMarker(text::WStringView stateDir, text::WStringView programDir);

}  // namespace contract
