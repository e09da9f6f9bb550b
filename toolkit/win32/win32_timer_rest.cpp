// Timers that rest while their hidden window waits for the pointer to enter a zone.
//
// A timer wakes the program at every tick, and each tick that reads the pointer asks the
// system where it is; under Wine both are round trips to the Wine server and the X server,
// a few per cent of a core at a hundred ticks a second. A resting timer is stopped instead,
// and the pointer's arrival in the zone is noticed without polling: an invisible topmost
// window laid over the zone receives the pointer's moves there, and a low-level mouse hook
// sees the moves that another topmost window (a task bar along the top, say) takes in its
// place. Either one starts the timer again.
#include <algorithm>

#include "toolkit/win32/win32_backend.h"

namespace xiulan::toolkit::win32 {
namespace {

constexpr wchar_t kZoneClassName[] = L"XiulanPointerZone";
// Nearly transparent: a window with alpha 0 would let the pointer's moves through to the
// windows below it.
constexpr BYTE kZoneAlpha = 1;

bool registerZoneClass(HINSTANCE instance) {
  // The class lives as long as the process.
  static const bool registered = [instance] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32Window::zoneWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_DESKTOP);
    windowClass.lpszClassName = kZoneClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

bool pointerIn(const ScreenRect& zone) {
  POINT pointer{};
  return GetCursorPos(&pointer) && zone.contains({pointer.x, pointer.y});
}

RECT zoneRect(const ScreenRect& zone) {
  return {zone.left, zone.top, zone.right + 1, zone.bottom + 1};
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

void Win32Window::restTimerUntilPointerIn(const char* name, ScreenRect zone) {
  Win32Control* timer = find(name);
  if (!timer || timer->definition->kind != ControlKind::Timer || timer->period == 0 || !hwnd_ ||
      destroying_ || IsWindowVisible(hwnd_)) {
    return;
  }
  if (pointerIn(zone))
    return;  // the next tick has work to do
  const RECT place = zoneRect(zone);
  // A zone on no screen is one the pointer cannot enter: showing or moving the window is then
  // the only way out of the rest, and no window need watch it.
  const bool reachable = zone.left <= zone.right && zone.top <= zone.bottom &&
                         MonitorFromRect(&place, MONITOR_DEFAULTTONULL) != nullptr;
  if (reachable) {
    if (!timer->zoneWindow && registerZoneClass(desktop_.instance())) {
      timer->zoneWindow = CreateWindowExW(
          WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, kZoneClassName, L"",
          WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, desktop_.instance(), this);
      if (timer->zoneWindow)
        SetLayeredWindowAttributes(timer->zoneWindow, 0, kZoneAlpha, LWA_ALPHA);
    }
    // Without the window the timer goes on ticking: the wait costs more and works the same.
    if (!timer->zoneWindow)
      return;
    SetWindowPos(timer->zoneWindow, HWND_TOPMOST, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  KillTimer(hwnd_, static_cast<UINT_PTR>(timer->id));
  timer->resting = true;
  timer->restZone = zone;
  timer->frameAtRest = frame();
  timer->pointerCheckPosted = false;
  desktop_.restsChanged();
  // The pointer may have come in while the zone's window was being put there.
  if (pointerIn(zone))
    endRest(*timer);
}

void Win32Window::endRest(Win32Control& timer) {
  if (!timer.resting)
    return;
  timer.resting = false;
  if (timer.zoneWindow)
    ShowWindow(timer.zoneWindow, SW_HIDE);
  if (hwnd_ && timer.period > 0) {
    SetTimer(hwnd_, static_cast<UINT_PTR>(timer.id), systemTimerPeriod(timer.period), nullptr);
  }
  desktop_.restsChanged();
}

void Win32Window::endRests(bool shown) {
  for (Win32Control& control : controls_) {
    if (control.resting && (shown || !sameRect(frame(), control.frameAtRest)))
      endRest(control);
  }
}

bool Win32Window::watchesPointer() const {
  return std::any_of(controls_.begin(), controls_.end(), [](const Win32Control& control) {
    return control.resting && control.zoneWindow && IsWindowVisible(control.zoneWindow);
  });
}

void Win32Window::pointerMoved() {
  for (Win32Control& control : controls_) {
    if (control.resting && control.zoneWindow && !control.pointerCheckPosted) {
      control.pointerCheckPosted =
          PostMessageW(control.zoneWindow, kCheckPointerMessage, 0, 0) != FALSE;
    }
  }
}

void Win32Window::pointerAtZone(HWND zoneWindow, bool mayHave) {
  for (Win32Control& control : controls_) {
    if (control.zoneWindow != zoneWindow)
      continue;
    if (mayHave)
      control.pointerCheckPosted = false;
    // A move over the zone's window is a move into the zone; a move seen by the hook is looked
    // at once the system has put the pointer where it goes.
    if (control.resting && (!mayHave || pointerIn(control.restZone)))
      endRest(control);
  }
}

void Win32Window::destroyZoneWindows() {
  for (Win32Control& control : controls_) {
    control.resting = false;
    if (control.zoneWindow) {
      DestroyWindow(control.zoneWindow);
      control.zoneWindow = nullptr;
    }
  }
  desktop_.restsChanged();
}

LRESULT CALLBACK Win32Window::zoneWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // a click on it takes nothing from the window the user is in
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (owner)
        owner->pointerAtZone(hwnd, false);
      return 0;
    case kCheckPointerMessage:
      if (owner)
        owner->pointerAtZone(hwnd, true);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace xiulan::toolkit::win32
