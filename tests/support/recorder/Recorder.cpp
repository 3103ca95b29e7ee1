// Test program: writes its working directory and then each argument (argv[0] first), one per
// line, to "<own path>.record". While "<own path>.hold" exists it stays alive (at most 10 s),
// so a test can watch it run and then let it end. It ends with the number "<own path>.exit"
// holds (0 without one), so a test can make it stand for a program that fails. On Windows the own path is taken without
// ".exe" and the directory with "/", as the tests name them.
#if defined(_WIN32)
#include <windows.h>
#elif defined(__unix__)
#include <unistd.h>
#else
#error "Recorder: no way to find the own path on this platform"
#endif

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

std::string OwnPath() {
#if defined(_WIN32)
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, n < MAX_PATH ? n : 0);
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0) path.resize(path.size() - 4);
  return path;
#else
  char self[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  return std::string(self, n > 0 ? static_cast<size_t>(n) : 0);
#endif
}

int main(int argc, char** argv) {
  std::string path = OwnPath();
  if (path.empty()) return 2;
  {
    std::ofstream out(path + ".record.tmp", std::ios::binary);
    out << std::filesystem::current_path().generic_string() << '\n';
    for (int i = 0; i < argc; ++i) out << argv[i] << '\n';
  }
  // Renamed into place so a reader never sees half a record.
  std::filesystem::rename(path + ".record.tmp", path + ".record");
  for (int i = 0; i < 1000 && std::filesystem::exists(path + ".hold"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  int code = 0;
  std::ifstream(path + ".exit") >> code;
  return code;
}
