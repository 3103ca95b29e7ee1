// Test program for the Windows whole run: HoldOpen <release> <file>... holds the files open the
// way a running program holds its own executable (read sharing only, so nobody may replace,
// rename or delete them) until the release file appears, at most 120 s. It writes
// "<release>.held" once every file is open, so the test knows when the hold is in force. Exit
// code 0 after the release, 1 when a file cannot be opened, 2 on a bad command line.
#if !defined(_WIN32)
#error "HoldOpen is a Windows test program"
#endif

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <vector>

namespace {

struct LocalFreer {
  void operator()(wchar_t** argv) const { LocalFree(argv); }
};

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle OpenShared(const wchar_t* path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace

int main() {
  int argc = 0;
  std::unique_ptr<wchar_t*, LocalFreer> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
  if (!argv || argc < 3) return 2;
  const std::wstring release = argv.get()[1];
  std::vector<Handle> held;
  for (int i = 2; i < argc; ++i) {
    held.push_back(OpenShared(argv.get()[i], GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    if (!held.back()) return 1;
  }
  // The marker is closed at once: only the held files stay open.
  if (!OpenShared((release + L".held").c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS)) return 1;
  for (int i = 0; i < 2400; ++i) {
    if (GetFileAttributesW(release.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
    Sleep(50);
  }
  return 0;
}
