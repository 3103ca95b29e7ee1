// Compiles the movie folder's content rules. The engine keeps compiled rules in a directory;
// this one is private to the view and removed with it.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <string>

namespace lobby::player {

class FolderFilterStore {
 public:
  // Called on the main loop with the compiled filter (null on failure; not owned).
  using Ready = std::function<void(WebKitUserContentFilter*)>;

  FolderFilterStore() = default;
  ~FolderFilterStore();
  FolderFilterStore(const FolderFilterStore&) = delete;
  FolderFilterStore& operator=(const FolderFilterStore&) = delete;

  // Starts compiling the rules for `folderUri`. `ready` runs once, unless the store is destroyed
  // first (then it never runs). False when no private directory could be made.
  bool Compile(const std::string& folderUri, Ready ready);

 private:
  bool EnsureStore();

  std::string directory_;
  WebKitUserContentFilterStore* store_ = nullptr;
  GCancellable* cancellable_ = nullptr;
};

}  // namespace lobby::player
