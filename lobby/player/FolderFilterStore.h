// Compiles the movie folder's content rules. The engine compiles into a directory; each
// compilation gets a private one, removed as soon as the rules are loaded (the engine keeps
// them in memory), so nothing is left behind even if the program ends without cleaning up.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <string>
#include <vector>

namespace lobby::player {

class FolderFilterStore {
 public:
  // Called on the main loop with the compiled filter (null on failure; not owned).
  using Ready = std::function<void(WebKitUserContentFilter*)>;

  FolderFilterStore();
  ~FolderFilterStore();
  FolderFilterStore(const FolderFilterStore&) = delete;
  FolderFilterStore& operator=(const FolderFilterStore&) = delete;

  // Starts compiling the rules for `folderUri`. `ready` runs once, unless the store is destroyed
  // first (then it never runs). False when no private directory could be made.
  bool Compile(const std::string& folderUri, Ready ready);

 private:
  GCancellable* cancellable_;
  std::vector<std::string> directories_;  // every one made, for a last removal
};

}  // namespace lobby::player
