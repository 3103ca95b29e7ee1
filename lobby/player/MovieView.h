// The module's implementation of one movie view: a web view with the movie bridge.
#pragma once

#include <memory>

#include "lobby/player/PlayerModule.h"

namespace lobby::player {

class ViewCore;

class MovieView final : public IMoviePlayerView {
 public:
  // Null when the web engine cannot make a view.
  static std::unique_ptr<MovieView> Create(IPlayerEvents* events);
  ~MovieView() override;

  GtkWidget* Widget() override;
  bool LoadMovie(int layer, const std::string& path) override;
  void CallFunction(const text::WString& request) override;
  void ForwardKey(const GdkEventKey* event) override;
  void ShowPage(const std::string& html) override;

 private:
  explicit MovieView(std::shared_ptr<ViewCore> core) : core_(std::move(core)) {}
  std::shared_ptr<ViewCore> core_;
};

}  // namespace lobby::player
