// The main of every test program. Standard output is unbuffered: a program that dies on its
// way out (under Wine, a crash in the exit path) would otherwise lose all it printed, and a
// passed test would look like a program that never ran.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
