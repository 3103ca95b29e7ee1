// A GTK module that only writes down that it was loaded: the file named by $ZEMBA_GTK_MARKER
// gets the loading program's pid. No program of ours may ever load it.
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

__attribute__((constructor)) void MarkLoaded() {
  const char* path = std::getenv("ZEMBA_GTK_MARKER");
  if (!path || !*path) return;
  if (std::FILE* f = std::fopen(path, "a")) {
    std::fprintf(f, "%d\n", static_cast<int>(getpid()));
    std::fclose(f);
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void gtk_module_init(int*, char***) {}
