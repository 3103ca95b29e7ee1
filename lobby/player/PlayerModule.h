// The seam between the lobby frame and the movie player module. The module is loaded at run
// time from the program directory and is the only part of the lobby that links the web engine:
// a lobby without it still starts and shows the notice instead of the movie.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "text/Text.h"

namespace lobby {

// What the player reports to the frame. Always called on the main loop.
class IPlayerEvents {
 public:
  virtual ~IPlayerEvents() = default;
  // fscommand(command, args) from the movie.
  virtual void OnFSCommand(const text::WString& command, const text::WString& args) = 0;
  // ExternalInterface.call(...) from the movie: one invoke document.
  virtual void OnFlashCall(const text::WString& request) = 0;
  // One right button press over the movie (no menu is shown).
  virtual void OnRightClick() = 0;
  // The movie tried to go to a web address (a link, window.open, a changed location): it is
  // not loaded in the player; the frame opens it in the user's browser.
  virtual void OnExternalLink(const std::string& uri) = 0;
  // The web engine reports the page unresponsive (a script that never returns) or its process
  // gone. The view starts a gone page again by itself.
  virtual void OnPageUnresponsive() = 0;
};

// One movie view. Created by the module; deleting it destroys its widget.
class IMoviePlayerView {
 public:
  virtual ~IMoviePlayerView() = default;
  // The view's widget, owned by the view; the frame places it in its movie area.
  virtual GtkWidget* Widget() = 0;
  // Loads the movie page at this absolute file path (layer is always 0; a "\" counts as "/").
  // The page gets the lobby's own address for it, never a file address; it and everything it
  // loads are answered from that file's folder alone, and the bridge serves those pages only.
  // Requests still waiting for an earlier movie are dropped. False, and nothing loaded, when the
  // path is relative, climbs with "..", its folder does not exist, or the page is no file that
  // folder can serve.
  virtual bool LoadMovie(int layer, const std::string& path) = 0;
  // Hands one invoke document to the function the movie registered under its name. Requests
  // made before the page is ready are queued (in order, at most 256), not dropped.
  virtual void CallFunction(const text::WString& request) = 0;
  // Delivers a key press (Enter, Escape) to the movie as if the view had the focus.
  virtual void ForwardKey(const GdkEventKey* event) = 0;
  // Shows `html` (UTF-8) in place of the movie, as a page of no origin: it has no bridge, reads
  // no file of any folder, and messages for the movie are not delivered to it.
  virtual void ShowPage(const std::string& html) = 0;
};

// The module's file name in the program directory and its one exported entry point.
inline constexpr const char* kPlayerModuleFile = "libquorvane-player.so";
inline constexpr const char* kPlayerCreateSymbol = "zemba_player_create";
inline constexpr unsigned kPlayerAbiVersion = 3;

// Signature of the entry point: a new view reporting to `events` (not owned, outlives the
// view), or null when the engine cannot create one or the ABI version differs.
using CreatePlayerFunction = IMoviePlayerView* (*)(IPlayerEvents* events, unsigned abiVersion);

}  // namespace lobby
