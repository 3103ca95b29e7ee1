// Keeps the movie view out of sight until its page is ready to be seen, so the window never
// shows the engine's blank view: the movie area stays the frame's black meanwhile, and the
// title strip is the frame's own from the first frame.
#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace lobby {

// The longest the view stays hidden when its page never finishes (a script that never
// returns, a resource that never arrives).
inline constexpr unsigned kRevealDeadlineMs = 1000;

class MovieReveal {
 public:
  MovieReveal() = default;
  ~MovieReveal();
  MovieReveal(const MovieReveal&) = delete;
  MovieReveal& operator=(const MovieReveal&) = delete;

  // Shows `view` (placed, hidden) once its page has loaded, or after kRevealDeadlineMs, then
  // calls `shown`. A second call waits for the page loading now.
  void Start(GtkWidget* view, std::function<void()> shown);
  bool Waiting() const { return view_ != nullptr; }

  // Called by the view's load state and the deadline.
  void OnLoadingChanged();
  void OnDeadline();
  // Shows the view now and stops waiting.
  void Reveal();

 private:
  void Stop();

  GtkWidget* view_ = nullptr;
  gulong loadingHandler_ = 0;
  guint deadline_ = 0;
  bool sawLoading_ = false;
  std::function<void()> shown_;
};

}  // namespace lobby
