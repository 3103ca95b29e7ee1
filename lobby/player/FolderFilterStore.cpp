#include "lobby/player/FolderFilterStore.h"

#include <glib/gstdio.h>

#include <memory>

#include "lobby/player/FolderFilter.h"

namespace lobby::player {
namespace {

constexpr const char* kFilterId = "movie-folder";

void RemoveDirectory(const std::string& directory) {
  GDir* dir = g_dir_open(directory.c_str(), 0, nullptr);
  if (dir) {
    while (const char* name = g_dir_read_name(dir)) {
      g_remove((directory + "/" + name).c_str());
    }
    g_dir_close(dir);
  }
  g_rmdir(directory.c_str());
}

// Owned by one compilation; freed, with its directory, when it completes, whatever the outcome.
struct Pending {
  FolderFilterStore::Ready ready;
  std::string directory;
  ~Pending() { RemoveDirectory(directory); }
};

void OnSaved(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
  GError* error = nullptr;
  WebKitUserContentFilter* filter = webkit_user_content_filter_store_save_finish(
      WEBKIT_USER_CONTENT_FILTER_STORE(source), result, &error);
  const bool cancelled = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  if (error) g_error_free(error);
  if (!cancelled) pending->ready(filter);
  if (filter) webkit_user_content_filter_unref(filter);
}

}  // namespace

FolderFilterStore::FolderFilterStore() : cancellable_(g_cancellable_new()) {}

// Removed again here: a compilation may still be writing when it reports.
FolderFilterStore::~FolderFilterStore() {
  g_cancellable_cancel(cancellable_);
  g_object_unref(cancellable_);
  for (const std::string& directory : directories_) RemoveDirectory(directory);
}

bool FolderFilterStore::Compile(const std::string& folderUri, Ready ready) {
  gchar* made = g_dir_make_tmp("zemba-player-XXXXXX", nullptr);
  if (!made) return false;
  auto* pending = new Pending{std::move(ready), made};
  directories_.push_back(made);
  g_free(made);
  WebKitUserContentFilterStore* store =
      webkit_user_content_filter_store_new(pending->directory.c_str());
  const std::string rules = FolderFilterRules(folderUri);
  GBytes* source = g_bytes_new(rules.data(), rules.size());
  webkit_user_content_filter_store_save(store, kFilterId, source, cancellable_, OnSaved, pending);
  g_bytes_unref(source);
  g_object_unref(store);  // the running compilation keeps its own reference
  return true;
}

}  // namespace lobby::player
