#include "lobby/player/MovieView.h"

#include "lobby/player/ViewCore.h"

namespace lobby::player {

std::unique_ptr<MovieView> MovieView::Create(IPlayerEvents* events) {
  std::shared_ptr<ViewCore> core = ViewCore::Create(events);
  if (!core) return nullptr;
  return std::unique_ptr<MovieView>(new MovieView(std::move(core)));
}

MovieView::~MovieView() = default;

GtkWidget* MovieView::Widget() { return core_->Widget(); }

bool MovieView::LoadMovie(int, const std::string& path) { return core_->LoadMovie(path); }

void MovieView::CallFunction(const text::WString& request) {
  core_->CallFunction(text::ToUtf8(request));
}

void MovieView::ForwardKey(const GdkEventKey* event) { core_->ForwardKey(event); }

void MovieView::ShowPage(const std::string& html) { core_->ShowPage(html); }

}  // namespace lobby::player
