// Balloons of a window's balloon-tip boxes: a tracking tooltip of the system, shown at a
// screen point, fitted to the screen that holds the point.
#include "toolkit/win32/win32_backend.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <string>

#include "toolkit/balloon_layout.h"
#include "toolkit/win32/gbk_wide.h"

namespace xiulan::toolkit::win32 {
namespace {

constexpr COLORREF kBalloonBackground = RGB(255, 255, 225);
constexpr COLORREF kBalloonText = RGB(0, 0, 0);
// As the tooltip draws its text: DrawText with these flags, wrapped at its maximum width.
constexpr UINT kTipDrawing = DT_EXTERNALLEADING | DT_WORDBREAK | DT_NOPREFIX;

TTTOOLINFOW toolOf(HWND owner, int id) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = owner;
  tool.uId = static_cast<UINT_PTR>(id);
  return tool;
}

SIZE bubbleSize(HWND tip, TTTOOLINFOW& tool) {
  const auto size =
      static_cast<DWORD>(SendMessageW(tip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool)));
  return SIZE{LOWORD(size), HIWORD(size)};
}

void setTipText(HWND tip, TTTOOLINFOW& tool, std::wstring& text) {
  tool.lpszText = text.data();
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// A click on the balloon hides it (see the desktop's input hook) and activates nothing: the
// window the user works in stays the active one.
LRESULT CALLBACK noActivation(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (message == WM_MOUSEACTIVATE)
    return MA_NOACTIVATE;
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

HWND Win32Window::balloonWindow(Win32Control& balloon) {
  if (balloon.hwnd)
    return balloon.hwnd;
  // Owned by the hidden owner rather than by this window, so that the balloon stays up while
  // this window is minimised. It never takes the focus or activates.
  HWND tip =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | TTS_NOANIMATE | TTS_NOFADE,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      desktop_.hiddenOwner(), nullptr, desktop_.instance(), nullptr);
  if (!tip)
    return nullptr;
  // The visual style would draw its own colours; the balloon is light yellow with black text.
  SetWindowTheme(tip, L"", L"");
  SetWindowSubclass(tip, &noActivation, 1, 0);
  SendMessageW(tip, TTM_SETTIPBKCOLOR, kBalloonBackground, 0);
  SendMessageW(tip, TTM_SETTIPTEXTCOLOR, kBalloonText, 0);
  TTTOOLINFOW tool = toolOf(hwnd_, balloon.id);
  std::wstring empty;
  tool.lpszText = empty.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  balloon.hwnd = tip;
  return tip;
}

void Win32Window::showBalloonTip(const char* name, int x, int y, const Text& text, int,
                                 bool autoClose) {
  // The box has no image list, so no icon index shows an icon.
  Win32Control* balloon = find(name);
  if (!balloon || balloon->definition->kind != ControlKind::BalloonTip || !hwnd_ || destroying_) {
    return;
  }
  HWND tip = balloonWindow(*balloon);
  if (!tip)
    return;
  TTTOOLINFOW tool = toolOf(hwnd_, balloon->id);
  SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));

  // The work area of the monitor that holds the point is where the balloon has to fit.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;

  HDC dc = GetDC(tip);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0));
  const HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const auto measure = [dc](std::wstring line, int width) {
    if (line.empty())
      line = L" ";  // an empty line still takes a line's height
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &rect, kTipDrawing | DT_CALCRECT);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
  };
  // What the tooltip adds around its text (margins, border), from a one-letter tip.
  std::wstring probe = L"X";
  setTipText(tip, tool, probe);
  const SIZE probeBubble = bubbleSize(tip, tool);
  const SIZE probeText = measure(probe, 1 << 20);
  const int extraWidth = std::max<int>(0, probeBubble.cx - probeText.cx);
  const int extraHeight = std::max<int>(0, probeBubble.cy - probeText.cy);
  const int textWidth = std::max<int>(64, work.right - work.left - extraWidth);
  // Without a maximum width a tooltip shows one line and ignores line breaks.
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, textWidth);
  const Text shown =
      fitBalloonText(text, static_cast<int>(work.bottom - work.top) - extraHeight,
                     [&](std::string_view line) { return measure(toWide(line), textWidth).cy; });
  if (oldFont)
    SelectObject(dc, oldFont);
  ReleaseDC(tip, dc);

  std::wstring wide = toWide(shown.bytes());
  setTipText(tip, tool, wide);
  // The window text too, which is what screen readers and other programs read.
  SendMessageW(tip, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  const SIZE size = bubbleSize(tip, tool);
  const BalloonPlace place =
      placeBalloon(x, y, size.cx, size.cy,
                   Rect{static_cast<int>(work.left), static_cast<int>(work.top),
                        static_cast<int>(work.right), static_cast<int>(work.bottom)});
  SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(place.left, place.top));
  SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  balloon->balloonShown = true;
  desktop_.balloonsChanged();

  // A new showing starts the display time afresh: SetTimer on the same id restarts the count.
  const auto timer = static_cast<UINT_PTR>(balloon->id);
  if (autoClose) {
    SetTimer(hwnd_, timer, static_cast<UINT>(std::max(1, balloon->definition->balloonDisplayMs)),
             nullptr);
  } else {
    KillTimer(hwnd_, timer);
  }
}

void Win32Window::hideBalloon(Win32Control& balloon) {
  if (!balloon.balloonShown)
    return;
  balloon.balloonShown = false;
  if (hwnd_)
    KillTimer(hwnd_, static_cast<UINT_PTR>(balloon.id));
  if (balloon.hwnd) {
    TTTOOLINFOW tool = toolOf(hwnd_, balloon.id);
    SendMessageW(balloon.hwnd, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  }
  desktop_.balloonsChanged();
}

bool Win32Window::balloonShown() const {
  return std::any_of(controls_.begin(), controls_.end(),
                     [](const Win32Control& control) { return control.balloonShown; });
}

void Win32Window::hideBalloons() {
  for (Win32Control& control : controls_) {
    if (control.definition->kind == ControlKind::BalloonTip)
      hideBalloon(control);
  }
}

void Win32Window::destroyBalloons() {
  for (Win32Control& control : controls_) {
    if (control.definition->kind != ControlKind::BalloonTip)
      continue;
    hideBalloon(control);
    if (control.hwnd)
      DestroyWindow(control.hwnd);
    control.hwnd = nullptr;
  }
}

}  // namespace xiulan::toolkit::win32
