// The module's one exported symbol: the frame finds it by name after loading the module.
#include "lobby/player/MovieView.h"

extern "C" __attribute__((visibility("default"))) lobby::IMoviePlayerView* zemba_player_create(
    lobby::IPlayerEvents* events, unsigned abiVersion) {
  if (abiVersion != lobby::kPlayerAbiVersion || !events) return nullptr;
  if (!gdk_display_get_default()) return nullptr;  // no display: no web view
  return lobby::player::MovieView::Create(events).release();
}
