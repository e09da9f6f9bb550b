// The desktop: window class, fonts, the event loop and its keyboard rules.
#include "toolkit/win32/win32_backend.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "toolkit/win32/gbk_wide.h"
#include "toolkit/win32/win32_desktop.h"

namespace xiulan::toolkit::win32 {
namespace {

constexpr int kIconResource = 1;
constexpr int kLastHotkeyId = 0xBFFF;  // ids above are reserved for shared libraries

HICON loadIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

// The desktop of this thread, for the input hook.
thread_local Win32Desktop* threadDesktop = nullptr;

bool isButtonWheelOrKey(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return true;
    default:
      return false;
  }
}

// Sees every message the thread takes from its queue, in our event loop and in every modal
// loop alike (menus, message boxes, a window being dragged), so that input anywhere in the
// program hides the balloons. Mouse moves are not input of that kind.
LRESULT CALLBACK inputHook(int code, WPARAM removed, LPARAM message) {
  if (code == HC_ACTION && removed == PM_REMOVE && threadDesktop &&
      isButtonWheelOrKey(reinterpret_cast<const MSG*>(message)->message)) {
    threadDesktop->hideBalloons();
  }
  return CallNextHookEx(nullptr, code, removed, message);
}

// Sees the pointer's moves anywhere on the desktop, while a timer rests until the pointer
// enters a zone. It runs on this thread, called before the system has moved the pointer.
LRESULT CALLBACK pointerHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && message == WM_MOUSEMOVE && threadDesktop)
    threadDesktop->pointerMoved();
  return CallNextHookEx(nullptr, code, message, data);
}

// Puts the hook in while `wanted` and takes it out otherwise.
template <typename Install>
void keepHook(HHOOK& hook, bool wanted, Install install) {
  if (wanted && !hook) {
    hook = install();
  } else if (!wanted && hook) {
    UnhookWindowsHookEx(hook);
    hook = nullptr;
  }
}

}  // namespace

Win32Desktop::Win32Desktop(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  threadDesktop = this;

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &Win32Window::windowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = loadIcon(instance_, SM_CXICON, SM_CYICON);
  windowClass.hIconSm = loadIcon(instance_, SM_CXSMICON, SM_CYSMICON);
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kWindowClassName;
  // The class lives as long as the process; a later desktop finds it already there.
  RegisterClassExW(&windowClass);

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    uiFont_ = CreateFontIndirectW(&metrics.lfMessageFont);
    ownUiFont_ = uiFont_ != nullptr;
  }
  if (!uiFont_)
    uiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

Win32Desktop::~Win32Desktop() {
  // Windows still alive go without their handlers: the program is past its event loop.
  shuttingDown_ = true;
  if (inputHook_)
    UnhookWindowsHookEx(inputHook_);
  if (threadDesktop == this)
    threadDesktop = nullptr;
  for (const auto& window : windows_) {
    if (window->exists())
      DestroyWindow(window->hwnd());
  }
  if (hiddenOwner_)
    DestroyWindow(hiddenOwner_);
  if (pointerHook_)
    UnhookWindowsHookEx(pointerHook_);
  if (ownUiFont_)
    DeleteObject(uiFont_);
  for (const auto& [height, font] : gb2312Fonts_)
    DeleteObject(font);
}

Window* Win32Desktop::createWindow(const WindowDefinition& definition) {
  windows_.push_back(std::make_unique<Win32Window>(*this, definition));
  Win32Window* window = windows_.back().get();
  if (!window->create()) {
    windows_.pop_back();
    return nullptr;
  }
  window->raiseCreationEvents();
  return window;
}

Win32Window* Win32Desktop::makeLoadedWindow(const WindowDefinition& definition, Window& namedOwner,
                                            HWND owningWindow) {
  windows_.push_back(std::make_unique<Win32Window>(*this, definition));
  Win32Window* window = windows_.back().get();
  window->setOwners(&namedOwner, owningWindow);
  if (!window->create()) {
    windows_.pop_back();
    return nullptr;
  }
  window->raiseCreationEvents();
  return window->exists() ? window : nullptr;
}

void Win32Desktop::loadModal(const WindowDefinition& definition, Window& owner) {
  Win32Window* window = makeLoadedWindow(definition, owner, nullptr);
  if (!window)
    return;
  window->showLoaded();
  if (!window->exists())
    return;
  std::vector<Win32Window*> disabled;
  for (const auto& other : windows_) {
    if (other.get() != window && other->exists() && !other->owningWindow() &&
        IsWindowEnabled(other->hwnd())) {
      EnableWindow(other->hwnd(), FALSE);
      disabled.push_back(other.get());
    }
  }
  window->holdDisabled(std::move(disabled));
  // The nested loop: the same keyboard rules as the program's own loop, until the window is gone.
  MSG message{};
  while (window->exists()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT is for the outermost loop: put it back for that one
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got == -1)
      return;
    if (preTranslate(message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

Window* Win32Desktop::loadOwned(const WindowDefinition& definition, Window& owner) {
  auto& owning = static_cast<Win32Window&>(owner);
  if (!owning.exists())
    return nullptr;
  Win32Window* window = makeLoadedWindow(definition, owner, owning.hwnd());
  if (!window)
    return nullptr;
  window->showLoaded();
  return window->exists() ? window : nullptr;
}

Window* Win32Desktop::openWindow(const WindowDefinition& definition) const {
  for (const auto& window : windows_) {
    if (window->exists() && window->source() == &definition)
      return window.get();
  }
  return nullptr;
}

// No owner: the box stays up also when the window that asked goes, and MB_TASKMODAL disables
// every window of the thread meanwhile.
bool Win32Desktop::askYesNo(const Text& question, const Text& title) {
  const std::wstring text = toWide(question.bytes());
  const std::wstring caption = toWide(title.bytes());
  ++questionsUp_;
  const int answer = MessageBoxW(nullptr, text.c_str(), caption.c_str(),
                                 MB_YESNO | MB_TASKMODAL | MB_SETFOREGROUND);
  --questionsUp_;
  return answer == IDYES;
}

void Win32Desktop::showErrorMessage(const Text& message, const Text& title) {
  const std::wstring text = toWide(message.bytes());
  const std::wstring caption = toWide(title.bytes());
  MessageBoxW(nullptr, text.c_str(), caption.c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

int Win32Desktop::screenWidth() const {
  return GetSystemMetrics(SM_CXSCREEN);
}
int Win32Desktop::screenHeight() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

std::optional<Point> Win32Desktop::pointerPosition() const {
  POINT point{};
  if (!GetCursorPos(&point))
    return std::nullopt;  // another desktop has the input (locked)
  return Point{static_cast<int>(point.x), static_cast<int>(point.y)};
}

// The clipboard is opened for the hidden owner window: opened for no window, emptying it
// would leave it without an owner and the text could not be put there.
Text Win32Desktop::clipboardText() {
  if (!OpenClipboard(hiddenOwner()))
    return {};
  std::wstring text;
  // Asked for as UTF-16, which the system makes from an 8-bit text in any code page, so the
  // program reads the same on a Windows of any language.
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(units, wcsnlen(units, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return Text(toGbk(text));
}

void Win32Desktop::setClipboardText(const Text& text) {
  if (!OpenClipboard(hiddenOwner()))
    return;
  EmptyClipboard();
  const std::wstring wide = toWide(text.bytes());
  const std::size_t size = (wide.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size)) {
    if (void* units = GlobalLock(memory)) {
      std::memcpy(units, wide.c_str(), size);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it has taken it.
      if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

void Win32Desktop::endProgram(int exitCode) {
  shuttingDown_ = true;
  ExitProcess(static_cast<UINT>(exitCode));
}

void Win32Desktop::hideBalloons() {
  for (const auto& window : windows_) {
    if (window->exists())
      window->hideBalloons();
  }
}

bool Win32Desktop::anyWindow(bool (Win32Window::*holds)() const) const {
  for (const auto& window : windows_) {
    if (window->exists() && ((*window).*holds)())
      return true;
  }
  return false;
}

void Win32Desktop::balloonsChanged() {
  // The hook sees every message of the thread, the docking timer's too, and under Wine each
  // costs round trips to the server: it is there only while a balloon is up.
  keepHook(inputHook_, anyWindow(&Win32Window::balloonShown), [] {
    return SetWindowsHookExW(WH_GETMESSAGE, &inputHook, nullptr, GetCurrentThreadId());
  });
}

void Win32Desktop::restsChanged() {
  keepHook(pointerHook_, anyWindow(&Win32Window::watchesPointer),
           [this] { return SetWindowsHookExW(WH_MOUSE_LL, &pointerHook, instance_, 0); });
}

void Win32Desktop::pointerMoved() {
  for (const auto& window : windows_) {
    if (window->exists())
      window->pointerMoved();
  }
}

int Win32Desktop::runEventLoop() {
  MSG message{};
  while (liveWindows_ > 0) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0)
      return static_cast<int>(message.wParam);  // WM_QUIT
    if (got == -1)
      break;
    if (preTranslate(message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

void Win32Desktop::windowGone() {
  // The last window can go while GetMessageW is handling a message sent from another thread
  // or program (a WM_CLOSE, say), and GetMessageW would then wait on: wake the loop up.
  if (--liveWindows_ == 0)
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

HFONT Win32Desktop::gb2312Font(int height) {
  if (const auto found = gb2312Fonts_.find(height); found != gb2312Fonts_.end()) {
    return found->second;
  }
  LOGFONTW font{};
  font.lfHeight = -height;  // character height, not cell height
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = GB2312_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  HFONT made = CreateFontIndirectW(&font);
  if (!made)
    return uiFont_;
  gb2312Fonts_.emplace(height, made);
  return made;
}

HWND Win32Desktop::hiddenOwner() {
  if (!hiddenOwner_) {
    hiddenOwner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   instance_, nullptr);
  }
  return hiddenOwner_;
}

int Win32Desktop::nextHotkeyId() {
  lastHotkeyId_ = lastHotkeyId_ >= kLastHotkeyId ? 1 : lastHotkeyId_ + 1;
  return lastHotkeyId_;
}

Win32Window* Win32Desktop::windowOf(HWND hwnd) const {
  HWND root = hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  wchar_t className[std::size(kWindowClassName) + 1] = {};
  if (!root || !GetClassNameW(root, className, static_cast<int>(std::size(className))) ||
      std::wcscmp(className, kWindowClassName) != 0) {
    return nullptr;
  }
  return reinterpret_cast<Win32Window*>(GetWindowLongPtrW(root, GWLP_USERDATA));
}

bool Win32Desktop::preTranslate(const MSG& message) {
  // Tab, Enter and Esc follow the window definitions here, before the controls see the key.
  // IsDialogMessage is not used: its Tab order runs down the stacking order, ours up it.
  if (message.message != WM_KEYDOWN)
    return false;
  Win32Window* window = windowOf(message.hwnd);
  return window && window->handleKey(message);
}

std::unique_ptr<Desktop> makeWin32Desktop(HINSTANCE instance) {
  return std::make_unique<Win32Desktop>(instance);
}

}  // namespace xiulan::toolkit::win32
