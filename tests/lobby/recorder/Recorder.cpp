// Test program: writes its working directory and then each argument (argv[0] first), one per
// line, to "<own path>.record". While "<own path>.hold" exists it stays alive (at most 10 s),
// so a test can watch it run and then let it end.
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  char self[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 2;
  std::string path(self, static_cast<size_t>(n));
  {
    std::ofstream out(path + ".record.tmp", std::ios::binary);
    out << std::filesystem::current_path().string() << '\n';
    for (int i = 0; i < argc; ++i) out << argv[i] << '\n';
  }
  // Renamed into place so a reader never sees half a record.
  std::filesystem::rename(path + ".record.tmp", path + ".record");
  for (int i = 0; i < 1000 && std::filesystem::exists(path + ".hold"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}
