// The main of every test program. Standard output is unbuffered: a program that dies on its
// way out (under Wine, a crash in the exit path) would otherwise lose all it printed, and a
// passed test would look like a program that never ran.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Under the Wine runner (cmake/wine-run.sh) the program marks that it began, before any other
// code of its own runs: a failure without the mark is Wine failing to start it, one with the
// mark is the program's own, whatever it printed.
__attribute__((constructor(101))) void MarkStarted() {
  if (const char* path = std::getenv("ZEMBA_STARTED_MARK")) {
    if (std::FILE* mark = std::fopen(path, "w")) std::fclose(mark);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
