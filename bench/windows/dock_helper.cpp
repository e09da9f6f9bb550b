// Puts the running lookup window into a state for the docking CPU measurement:
//   dock_helper dock    pushes the window past the top edge (it docks) and moves the pointer
//                       away from it, then waits until the window has hidden itself;
//   dock_helper docked-shown  docks the window with the pointer inside it, so that it stays
//                       shown while its docking timer ticks;
//   dock_helper shown   waits until the window is shown, undocked, and leaves it so.
// It prints what it saw and exits with 0 when the window reached that state.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

HWND findLookupWindow() {
  for (int attempt = 0; attempt < 400; ++attempt) {
    HWND window = FindWindowW(L"XiulanWindow", L"澄屿计算机英语查询工具");
    if (window && IsWindowVisible(window))
      return window;
    Sleep(50);
  }
  return nullptr;
}

bool waitUntil(bool (*condition)(HWND), HWND window) {
  for (int attempt = 0; attempt < 400; ++attempt) {
    if (condition(window))
      return true;
    Sleep(25);
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dock_helper dock|docked-shown|shown\n");
    return 2;
  }
  HWND window = findLookupWindow();
  if (!window) {
    std::printf("no lookup window\n");
    return 1;
  }
  if (std::wcscmp(argv[1], L"dock") == 0) {
    SetCursorPos(1500, 800);
    SetWindowPos(window, nullptr, 100, -10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool hidden = waitUntil([](HWND w) { return !IsWindowVisible(w); }, window);
    RECT frame{};
    GetWindowRect(window, &frame);
    std::printf("docked at (%ld, %ld), %s\n", frame.left, frame.top, hidden ? "hidden" : "shown");
    return hidden && frame.top == 0 ? 0 : 1;
  }
  if (std::wcscmp(argv[1], L"docked-shown") == 0) {
    SetCursorPos(200, 100);
    SetWindowPos(window, nullptr, 100, -10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool docked = waitUntil(
        [](HWND w) {
          RECT frame{};
          GetWindowRect(w, &frame);
          return frame.top == 0 && IsWindowVisible(w) != FALSE;
        },
        window);
    std::printf("docked at (100, 0), %s\n", docked ? "shown" : "not shown");
    return docked ? 0 : 1;
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  std::printf("shown at (%ld, %ld)\n", frame.left, frame.top);
  return frame.top >= 0 ? 0 : 1;
}
