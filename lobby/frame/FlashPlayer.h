// The movie player as the frame sees it: the player module, loaded at run time from the
// program directory, and the one view it makes. Without the module the lobby still runs and
// the frame shows its notice instead of the movie.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "lobby/core/IMoviePlayer.h"
#include "lobby/player/PlayerModule.h"

namespace lobby {

class CFlashPlayer : public IMoviePlayer {
 public:
  // `moduleDir` is where the module is looked for; `events` (not owned) gets the view's events.
  CFlashPlayer(std::string moduleDir, IPlayerEvents& events);
  ~CFlashPlayer() override;
  CFlashPlayer(const CFlashPlayer&) = delete;
  CFlashPlayer& operator=(const CFlashPlayer&) = delete;

  // Loads the module and makes the view unless that is done: true when the view exists.
  bool Create();
  // The view's widget; null without a view.
  GtkWidget* Widget() const;

  bool LoadMovie(const text::WString& path);
  // Shows the lobby's own page instead of the movie; does nothing without a view.
  void ShowPage(const std::string& html);
  // Does nothing without a view.
  void CallFunction(const text::WString& request) override;
  void ForwardKey(const GdkEventKey* event);

 private:
  std::string modulePath_;
  IPlayerEvents& events_;
  IMoviePlayerView* view_ = nullptr;
};

}  // namespace lobby
