// The Win32 side of the progress window: the popup, its modal loop, painting, keys, dragging,
// and the worker's messages arriving through the queue.
#include "updater/app/win32/VendrelDlg.h"
// VendrelDlg.h first: it brings windows.h in the right order.
#include <windowsx.h>

#include <string>

#include "contract/Contract.h"
#include "updater/app/VendrelLayout.h"
#include "updater/app/win32/PostedText.h"

namespace vendrel {
namespace {

// The brand and the program in the class name keep it apart from other programs' windows.
const std::wstring kWindowClass = [] {
  const std::string ascii = std::string(contract::kCorp) + contract::kUpdaterName + "Progress";
  return std::wstring(ascii.begin(), ascii.end());
}();
constexpr UINT_PTR kDoneHoldTimer = 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dlg = reinterpret_cast<CVendrelDlg*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!dlg) return DefWindowProcW(hwnd, message, wParam, lParam);
  return dlg->OnMessage(hwnd, message, wParam, lParam);
}

HICON LoadProgramIcon(int width, int height) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(layout::kIconId),
                                       IMAGE_ICON, width, height, LR_SHARED));
}

// Registered once per process; the class carries the program's icons.
bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadProgramIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    wc.hIconSm = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass.c_str();
    return RegisterClassExW(&wc) != 0;
  }();
  return registered;
}

// The top-left corner that centres a window of this size in the primary work area.
POINT CentredOrigin(int width, int height) {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return POINT{work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2};
}

}  // namespace

void CVendrelDlg::OpenWindow() {
  quit_ = false;
  if (!RegisterWindowClass()) return;
  const POINT origin = CentredOrigin(Width(), Height());
  HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_TOPMOST, kWindowClass.c_str(), L"Vendrel", WS_POPUP,
                              origin.x, origin.y, Width(), Height(), nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  if (!hwnd) return;
  icon_ = LoadProgramIcon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadProgramIcon(GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON))));
  {
    std::lock_guard<std::mutex> lock(postLock_);
    hwnd_ = hwnd;
  }
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
}

void CVendrelDlg::RunModalLoop() {
  if (!hwnd_) {
    EndDialog(kCancel);  // no window could be made: nothing would ever end the loop
    return;
  }
  looping_ = true;
  MSG msg;
  while (!quit_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the outer loop; an error leaves nothing to wait for.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      EndDialog(kCancel);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  looping_ = false;
}

void CVendrelDlg::QuitModalLoop() { quit_ = true; }

void CVendrelDlg::QuitAfterHold(unsigned ms) {
  if (looping_ && hwnd_) SetTimer(hwnd_, kDoneHoldTimer, ms, nullptr);
}

void CVendrelDlg::DisposeWindow() {
  HWND hwnd = nullptr;
  {
    std::lock_guard<std::mutex> lock(postLock_);
    hwnd = hwnd_;
    hwnd_ = nullptr;
  }
  if (!hwnd) return;
  DropQueued(hwnd);
  KillTimer(hwnd, kDoneHoldTimer);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
}

void CVendrelDlg::DropQueued(HWND hwnd) {
  MSG msg;
  while (PeekMessageW(&msg, hwnd, updater::WM_UPDATE_STEP, updater::WM_UPDATE_DONE, PM_REMOVE)) {
    if (msg.message == updater::WM_UPDATE_STEP) posted::TakeBack(msg.lParam);
  }
}

LRESULT CVendrelDlg::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case updater::WM_UPDATE_STEP:
    case updater::WM_UPDATE_BYTES:
    case updater::WM_UPDATE_FAILED:
    case updater::WM_UPDATE_DONE: {
      updater::ProgressMessage m;
      m.id = message;
      m.wParam = static_cast<uint32_t>(wParam);
      if (message == updater::WM_UPDATE_STEP) {
        m.text = posted::TakeBack(lParam);
      } else {
        m.lParam = static_cast<uint32_t>(lParam);
      }
      Handle(m);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel; erasing first would flicker
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_NCHITTEST:
      return HitTest(hwnd, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) OnEnter();
      if (wParam == VK_ESCAPE) OnEscape();
      return 0;
    case WM_CLOSE:
      EndDialog(kCancel);  // the dialog destroys its own window
      return 0;
    case WM_TIMER:
      if (wParam != kDoneHoldTimer) break;
      KillTimer(hwnd, kDoneHoldTimer);
      QuitModalLoop();
      return 0;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(icon_);
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CVendrelDlg::HitTest(HWND hwnd, WPARAM wParam, LPARAM lParam) const {
  const LRESULT hit = DefWindowProcW(hwnd, WM_NCHITTEST, wParam, lParam);
  if (hit != HTCLIENT) return hit;
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(hwnd, &at);
  const bool onBackground = at.x >= 0 && at.y >= 0 && at.x < Width() && at.y < Height();
  return onBackground ? HTCAPTION : hit;  // the whole strip drags the window
}

void CVendrelDlg::Paint(HWND hwnd) const {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (IsIconic(hwnd)) {
    RECT client;
    GetClientRect(hwnd, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
  } else {
    std::unique_ptr<Gdiplus::Bitmap> composed = Render();
    Gdiplus::Graphics screen(dc);
    skin::DrawUnscaled(screen, *composed, 0, 0);
  }
  EndPaint(hwnd, &ps);
}

}  // namespace vendrel
