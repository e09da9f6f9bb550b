// A window of the toolkit as a Win32 top-level window with standard controls.
#include <algorithm>
#include <cstring>
#include <utility>

#include "toolkit/menu_shortcut.h"
#include "toolkit/win32/gbk_wide.h"
#include "toolkit/win32/win32_backend.h"
#include "toolkit/win32/win32_desktop.h"

namespace xiulan::toolkit::win32 {
namespace {

constexpr int kCoordinateLimit = 32627;
// CB_SETMINVISIBLE (common controls 6): how many items the open list shows before it scrolls.
constexpr UINT kComboSetMinVisible = 0x1701;

std::wstring windowText(HWND hwnd) {
  const auto length = static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const auto got = SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::min(static_cast<std::size_t>(std::max<LRESULT>(got, 0)), length));
  return text;
}

Text toText(std::wstring_view wide) {
  return Text(toGbk(wide));
}

LPARAM textParam(const std::wstring& text) {
  return reinterpret_cast<LPARAM>(text.c_str());
}

int clampCoordinate(int value) {
  return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

bool hasStyle(HWND hwnd, LONG_PTR style) {
  return (GetWindowLongPtrW(hwnd, GWL_STYLE) & style) == style;
}

}  // namespace

Win32Window::Win32Window(Win32Desktop& desktop, const WindowDefinition& definition)
    : desktop_(desktop), definition_(definition) {
  source_ = &definition;
  controls_.reserve(definition_.controls.size());
  for (std::size_t i = 0; i < definition_.controls.size(); ++i) {
    Win32Control control;
    control.definition = &definition_.controls[i];
    control.id = kFirstControlId + static_cast<int>(i);
    controls_.push_back(control);
  }
}

Desktop& Win32Window::desktop() {
  return desktop_;
}

bool Win32Window::create() {
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (definition_.minimizeButton)
    style |= WS_MINIMIZEBOX;
  if (definition_.maximizeButton)
    style |= WS_MAXIMIZEBOX;
  if (definition_.border == Border::Resizable)
    style |= WS_THICKFRAME;
  // An owned window has no task-bar button.
  HWND owner = definition_.taskbarButton ? nullptr : desktop_.hiddenOwner();
  if (owningWindow_)
    owner = owningWindow_;

  const int left = (desktop_.screenWidth() - definition_.width) / 2;
  const int top = (desktop_.screenHeight() - definition_.height) / 2;
  HMENU menu = createMenuBar();
  const std::wstring caption = toWide(definition_.caption.bytes());
  if (!CreateWindowExW(0, kWindowClassName, caption.c_str(), style, left, top, definition_.width,
                       definition_.height, owner, menu, desktop_.instance(), this)) {
    if (menu)
      DestroyMenu(menu);
    return false;
  }
  // Children are created in definition order; each new child goes below the ones before it,
  // so the first control of the definition ends up on top.
  for (Win32Control& control : controls_)
    createControl(control);
  if (!hwnd_)
    return false;
  // The shell's notice that the notification area restarted must reach the window even when
  // the program runs elevated and the shell does not.
  if (desktop_.taskbarCreatedMessage() != 0) {
    ChangeWindowMessageFilterEx(hwnd_, desktop_.taskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
  }
  const RECT rect = frame();
  position_ = {rect.left, rect.top};
  RECT client{};
  GetClientRect(hwnd_, &client);
  sizeKind_ = SIZE_RESTORED;
  clientSize_ = MAKELPARAM(client.right, client.bottom);
  return true;
}

HMENU Win32Window::createMenuBar() const {
  if (definition_.menu.empty())
    return nullptr;
  HMENU bar = CreateMenu();
  HMENU popup = nullptr;
  const auto& items = definition_.menu;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuItemDefinition& item = items[i];
    const auto id = static_cast<UINT_PTR>(kFirstMenuId + static_cast<int>(i));
    std::wstring text = toWide(item.text);
    if (item.level == 0) {
      const bool hasItems = i + 1 < items.size() && items[i + 1].level != 0;
      if (hasItems) {
        popup = CreatePopupMenu();
        AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), text.c_str());
      } else {  // a command right on the bar
        popup = nullptr;
        AppendMenuW(bar, MF_STRING, id, text.c_str());
      }
      continue;
    }
    if (!popup)
      continue;  // an item with no menu above it
    if (item.separator) {
      AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (item.shortcut && *item.shortcut)
      text += L"\t" + toWide(item.shortcut);
    // Any item can carry a check mark; a checkable one starts without it.
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE;
    info.fType = MFT_STRING;
    info.fState = MFS_ENABLED | MFS_UNCHECKED;
    info.wID = static_cast<UINT>(id);
    info.dwTypeData = text.data();
    InsertMenuItemW(popup, static_cast<UINT>(GetMenuItemCount(popup)), TRUE, &info);
  }
  return bar;
}

void Win32Window::createControl(Win32Control& control) {
  const ControlDefinition& d = *control.definition;
  const wchar_t* className = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  int height = d.height;
  switch (d.kind) {
    case ControlKind::Timer:
      control.period = std::max(d.period, 0);
      if (control.period > 0) {
        SetTimer(hwnd_, static_cast<UINT_PTR>(control.id), systemTimerPeriod(control.period),
                 nullptr);
      }
      return;
    case ControlKind::BalloonTip:
      return;
    case ControlKind::Label:
      className = L"STATIC";
      style |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::Button:
      className = L"BUTTON";
      style |= (d.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_CENTER | BS_VCENTER;
      break;
    case ControlKind::Edit:
      className = L"EDIT";
      style |= ES_LEFT;
      if (d.multiline)
        style |= ES_MULTILINE | ES_AUTOVSCROLL;
      if (d.readOnly)
        style |= ES_READONLY;
      if (d.wantReturn)
        style |= ES_WANTRETURN;
      if (d.verticalScroll)
        style |= WS_VSCROLL;
      if (d.horizontalScroll)
        style |= WS_HSCROLL;
      // Without automatic horizontal scrolling a multi-line box wraps its lines.
      if (!d.wrap)
        style |= ES_AUTOHSCROLL;
      break;
    case ControlKind::ComboBox:
      className = L"COMBOBOX";
      style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
      // The height a combo box is made with is its height with the list open.
      if (d.dropDownHeight > 0)
        height = d.dropDownHeight;
      break;
  }
  if (d.shown)
    style |= WS_VISIBLE;
  if (d.tabStop)
    style |= WS_TABSTOP;
  if (d.frame == Frame::Sunken)
    exStyle |= WS_EX_CLIENTEDGE;
  if (d.frame == Frame::Thin)
    style |= WS_BORDER;

  control.hwnd = CreateWindowExW(exStyle, className, L"", style, d.left, d.top, d.width, height,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                 desktop_.instance(), nullptr);
  if (!control.hwnd)
    return;
  HFONT font = d.fontHeight > 0 ? desktop_.gb2312Font(d.fontHeight) : desktop_.uiFont();
  SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (d.kind == ControlKind::Edit)
    SendMessageW(control.hwnd, EM_SETLIMITTEXT, 0, 0);
  if (d.kind == ControlKind::ComboBox) {
    SendMessageW(control.hwnd, CB_LIMITTEXT, 0, 0);
    // Common controls 6 size the open list by a count of items instead of the height above.
    RECT field{};
    GetWindowRect(control.hwnd, &field);
    const auto itemHeight = static_cast<int>(SendMessageW(control.hwnd, CB_GETITEMHEIGHT, 0, 0));
    if (itemHeight > 0 && d.dropDownHeight > 0) {
      const int listHeight = d.dropDownHeight - static_cast<int>(field.bottom - field.top) - 2;
      SendMessageW(control.hwnd, kComboSetMinVisible,
                   static_cast<WPARAM>(std::max(1, listHeight / itemHeight)), 0);
    }
  }
  if (!d.text.empty()) {
    const std::wstring text = toWide(d.text.bytes());
    SendMessageW(control.hwnd, WM_SETTEXT, 0, textParam(text));
  }
}

void Win32Window::raiseCreationEvents() {
  creating_ = false;
  raise(definition_.onCreated);
  raise(definition_.onPositionChanged);
  raise(definition_.onSizeChanged);
}

void Win32Window::raise(Handler handler) {
  if (handler && exists() && !desktop_.shuttingDown())
    handler(*this);
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->desktop_.windowBorn();
    }
  } else {
    self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->handleMessage(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTrayMessage) {
    if (wParam == kTrayIconId)
      handleTrayMessage(lParam);
    return 0;
  }
  if (message == desktop_.taskbarCreatedMessage() && message != 0) {
    // The notification area has (re)started empty; the icon the window had goes back.
    if (trayPresent_)
      showTrayIcon(false);
    return 0;
  }
  switch (message) {
    case WM_WINDOWPOSCHANGED: {
      endRests((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0);
      // Raised here, inside the call that moved the window, so a handler that moves it again
      // nests: docking relies on that order.
      if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOMOVE)) {
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        if (rect.left != position_.x || rect.top != position_.y) {
          position_ = {rect.left, rect.top};
          if (!creating_)
            raise(definition_.onPositionChanged);
          if (!exists())
            return 0;
        }
      }
      break;  // the default handling sends WM_SIZE and WM_MOVE
    }
    case WM_SIZE: {
      const bool changed = wParam != sizeKind_ || lParam != clientSize_;
      const bool unminimised = sizeKind_ == SIZE_MINIMIZED && wParam != SIZE_MINIMIZED;
      sizeKind_ = wParam;
      clientSize_ = lParam;
      // A window that was activated while minimised holds the focus itself, and restoring it
      // sends no WM_SETFOCUS: the control is given its focus back here.
      if (unminimised && GetFocus() == hwnd)
        restoreFocus();
      if (changed && !creating_)
        raise(definition_.onSizeChanged);
      return 0;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (lParam != 0) {
        const Win32Control* control = controlById(static_cast<WPARAM>(id));
        if (control && code == BN_CLICKED && control->definition->kind == ControlKind::Button) {
          raise(control->definition->onEvent);
        }
      } else if (code == 0) {
        const int index = id - kFirstMenuId;
        if (index >= 0 && static_cast<std::size_t>(index) < definition_.menu.size()) {
          raise(definition_.menu[static_cast<std::size_t>(index)].onSelect);
        }
      }
      return 0;
    }
    case WM_TIMER: {
      Win32Control* control = controlById(wParam);
      if (!control)
        return 0;
      // A stopped timer may still have a tick waiting in the queue; it is dropped.
      if (control->definition->kind == ControlKind::Timer && control->period > 0) {
        raise(control->definition->onEvent);
      } else if (control->definition->kind == ControlKind::BalloonTip) {
        hideBalloon(*control);  // its display time is over
      }
      return 0;
    }
    case WM_HOTKEY: {
      if (const auto found = hotkeys_.find(static_cast<int>(wParam)); found != hotkeys_.end()) {
        raise(controls_[found->second].definition->onEvent);
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      // A read-only edit box asks for the colours of static text (grey); ours are black on
      // white like any other edit box.
      const auto child = reinterpret_cast<HWND>(lParam);
      const Win32Control* control = controlOf(child);
      if (control && control->hwnd == child && control->definition->kind == ControlKind::Edit &&
          IsWindowEnabled(child)) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    }
    // The control that has the focus is noted whenever the window is left: deactivated,
    // hidden or minimised (which takes the focus away before deactivating).
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE)
        rememberFocus();
      break;  // the default handling gives the focus to the window itself, see WM_SETFOCUS
    case WM_SHOWWINDOW:
      if (!wParam)
        rememberFocus();
      else
        endRests(true);
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE)
        rememberFocus();
      break;
    case WM_SETFOCUS:
      // Coming back (restored, shown by the hotkey, switched to), the window gives the focus
      // back to the control that had it when the window was left.
      if (restoreFocus())
        return 0;
      break;
    case WM_CLOSE:
      releaseDisabled();
      break;  // the default handling destroys the window
    case WM_DESTROY:
      destroying_ = true;
      releaseDisabled();
      raise(definition_.onDestroying);
      for (const auto& [id, index] : hotkeys_)
        UnregisterHotKey(hwnd, id);
      hotkeys_.clear();
      for (const Win32Control& control : controls_) {
        if (control.definition->kind == ControlKind::Timer && control.period > 0) {
          KillTimer(hwnd, static_cast<UINT_PTR>(control.id));
        }
      }
      destroyZoneWindows();
      destroyBalloons();
      deleteTrayIcon();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      for (Win32Control& control : controls_)
        control.hwnd = nullptr;
      savedFocus_ = nullptr;
      desktop_.windowGone();
      // A modal loop waits for messages; it must wake up to see that its window is gone.
      if (modal_)
        PostMessageW(nullptr, WM_NULL, 0, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- geometry and state -------------------------------------------------------------------

RECT Win32Window::frame() const {
  RECT rect{};
  if (hwnd_)
    GetWindowRect(hwnd_, &rect);
  return rect;
}

int Win32Window::width() const {
  const RECT rect = frame();
  return static_cast<int>(rect.right - rect.left);
}

int Win32Window::height() const {
  const RECT rect = frame();
  return static_cast<int>(rect.bottom - rect.top);
}

void Win32Window::moveTo(int left, int top) {
  if (!hwnd_)
    return;
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::setLeft(int left) {
  moveTo(clampCoordinate(left), this->top());
}
void Win32Window::setTop(int top) {
  moveTo(this->left(), clampCoordinate(top));
}

int Win32Window::clientWidth() const {
  RECT rect{};
  if (hwnd_)
    GetClientRect(hwnd_, &rect);
  return static_cast<int>(rect.right - rect.left);
}

int Win32Window::clientHeight() const {
  RECT rect{};
  if (hwnd_)
    GetClientRect(hwnd_, &rect);
  return static_cast<int>(rect.bottom - rect.top);
}

int Win32Window::visible() const {
  return hwnd_ && IsWindowVisible(hwnd_) ? 1 : 0;
}

void Win32Window::setVisible(int visible) {
  if (!hwnd_)
    return;
  if (visible == 0) {
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  // Shown where and as it is: a minimised window stays minimised (a task-bar button).
  ShowWindow(hwnd_, SW_SHOW);
  // SW_SHOW does nothing to a window that is already shown; it is still brought forward.
  if (hwnd_ && !IsIconic(hwnd_))
    SetForegroundWindow(hwnd_);
}

int Win32Window::windowState() const {
  if (!hwnd_)
    return kStateNormal;
  if (IsIconic(hwnd_))
    return kStateMinimised;
  if (IsZoomed(hwnd_))
    return kStateMaximised;
  return kStateNormal;
}

void Win32Window::setWindowState(int state) {
  if (!hwnd_ || !IsWindowVisible(hwnd_))
    return;
  switch (std::clamp(state, kStateNormal, kStateMaximised)) {
    case kStateNormal:
      ShowWindow(hwnd_, SW_SHOWNORMAL);
      break;
    case kStateRestoreAndCentre:
      if (IsIconic(hwnd_) || IsZoomed(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
      centre();
      break;
    case kStateMinimised:
      rememberFocus();
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case kStateMaximised:
      ShowWindow(hwnd_, SW_MAXIMIZE);
      break;
  }
}

void Win32Window::centre() {
  if (!hwnd_)
    return;
  const RECT rect = frame();
  const int left = (desktop_.screenWidth() - static_cast<int>(rect.right - rect.left)) / 2;
  const int top = (desktop_.screenHeight() - static_cast<int>(rect.bottom - rect.top)) / 2;
  if (left != rect.left || top != rect.top)
    moveTo(left, top);
}

bool Win32Window::enabled() const {
  return hwnd_ && IsWindowEnabled(hwnd_);
}

void Win32Window::destroy() {
  if (!hwnd_ || destroying_)
    return;
  releaseDisabled();
  DestroyWindow(hwnd_);
}

// --- windows loaded by other windows ------------------------------------------------------

void Win32Window::showLoaded() {
  if (!hwnd_)
    return;
  ShowWindow(hwnd_, SW_SHOW);  // activates it; WM_SETFOCUS gives the focus to its control
  if (hwnd_)
    SetForegroundWindow(hwnd_);
  if (hwnd_ && focusedControl().empty())
    moveFocus(false);
}

void Win32Window::holdDisabled(std::vector<Win32Window*> windows) {
  modal_ = true;
  disabledWhileOpen_ = std::move(windows);
}

void Win32Window::releaseDisabled() {
  for (Win32Window* window : std::exchange(disabledWhileOpen_, {})) {
    if (window->hwnd_)
      EnableWindow(window->hwnd_, TRUE);
  }
}

void Win32Window::placeControl(const char* name, int left, int top, int width, int height) {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd)
    return;
  MoveWindow(control->hwnd, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}

// --- controls -----------------------------------------------------------------------------

const Win32Control* Win32Window::find(const char* name) const {
  if (!name)
    return nullptr;
  for (const Win32Control& control : controls_) {
    if (std::strcmp(control.definition->name, name) == 0)
      return &control;
  }
  return nullptr;
}

Win32Control* Win32Window::find(const char* name) {
  return const_cast<Win32Control*>(std::as_const(*this).find(name));
}

Win32Control* Win32Window::controlById(WPARAM id) {
  if (id < static_cast<WPARAM>(kFirstControlId))
    return nullptr;
  const std::size_t index = id - static_cast<WPARAM>(kFirstControlId);
  return index < controls_.size() ? &controls_[index] : nullptr;
}

const Win32Control* Win32Window::controlOf(HWND hwnd) const {
  if (!hwnd)
    return nullptr;
  for (const Win32Control& control : controls_) {
    if (control.hwnd && (control.hwnd == hwnd || IsChild(control.hwnd, hwnd)))
      return &control;
  }
  return nullptr;
}

Text Win32Window::text(const char* name) const {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd)
    return {};
  return toText(windowText(control->hwnd));
}

void Win32Window::setText(const char* name, const Text& text) {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd)
    return;
  const std::wstring wide = toWide(text.bytes());
  SendMessageW(control->hwnd, WM_SETTEXT, 0, textParam(wide));
}

void Win32Window::appendText(const char* name, const Text& text) {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd)
    return;
  if (control->definition->kind != ControlKind::Edit) {
    setText(name, concatText(this->text(name), text));
    return;
  }
  const std::wstring wide = toWide(text.bytes());
  const LRESULT end = SendMessageW(control->hwnd, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(control->hwnd, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageW(control->hwnd, EM_REPLACESEL, FALSE, textParam(wide));
  SendMessageW(control->hwnd, EM_SCROLLCARET, 0, 0);
}

void Win32Window::addListItem(const char* name, const Text& item) {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd || control->definition->kind != ControlKind::ComboBox)
    return;
  const std::wstring wide = toWide(item.bytes());
  SendMessageW(control->hwnd, CB_ADDSTRING, 0, textParam(wide));
}

std::vector<Text> Win32Window::listItems(const char* name) const {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd || control->definition->kind != ControlKind::ComboBox)
    return {};
  std::vector<Text> items;
  const LRESULT count = SendMessageW(control->hwnd, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(control->hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0)
      continue;
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(control->hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
    items.push_back(toText(item));
  }
  return items;
}

void Win32Window::setFocus(const char* name) {
  const Win32Control* control = find(name);
  if (!control || !control->hwnd)
    return;
  // A window that is not shown yet (a loaded window during its created event) must not be
  // activated by SetFocus; it gives the focus to the control when it is shown.
  if (!IsWindowVisible(hwnd_)) {
    savedFocus_ = control->hwnd;
    return;
  }
  SetFocus(control->hwnd);
}

std::string Win32Window::focusedControl() const {
  if (!hwnd_)
    return {};
  const Win32Control* control = controlOf(GetFocus());
  return control ? control->definition->name : std::string();
}

int Win32Window::timerPeriod(const char* name) const {
  const Win32Control* control = find(name);
  return control && control->definition->kind == ControlKind::Timer ? control->period : 0;
}

void Win32Window::setTimerPeriod(const char* name, int period) {
  Win32Control* control = find(name);
  if (!control || control->definition->kind != ControlKind::Timer)
    return;
  period = std::max(period, 0);
  if (period == control->period)
    return;  // the running count goes on undisturbed
  if (control->resting) {
    // The rest ends with the period it was taken at; the new period starts below.
    control->period = 0;
    endRest(*control);
  }
  control->period = period;
  if (!hwnd_)
    return;
  const auto id = static_cast<UINT_PTR>(control->id);
  if (period == 0) {
    KillTimer(hwnd_, id);
  } else {
    SetTimer(hwnd_, id, systemTimerPeriod(period), nullptr);  // replaces it: a new count
  }
}

int Win32Window::registerHotkey(const char* name, int modifiers, int virtualKey) {
  const Win32Control* control = find(name);
  if (!control || !hwnd_ || destroying_)
    return 0;
  const int id = desktop_.nextHotkeyId();
  if (!RegisterHotKey(hwnd_, id, static_cast<UINT>(modifiers), static_cast<UINT>(virtualKey))) {
    return 0;
  }
  hotkeys_[id] = static_cast<std::size_t>(control - controls_.data());
  return id;
}

// --- keyboard -----------------------------------------------------------------------------

bool Win32Window::handleKey(const MSG& message) {
  // Menu shortcuts work wherever the focus is in the window.
  if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
    for (const MenuItemDefinition& item : definition_.menu) {
      if (!item.separator && ctrlShortcutKey(item.shortcut) == static_cast<int>(message.wParam)) {
        raise(item.onSelect);
        return true;
      }
    }
  }
  const Win32Control* focused = controlOf(GetFocus());
  // An open drop-down list takes Enter (choose) and Esc (close) itself.
  const bool listOpen = focused && focused->definition->kind == ControlKind::ComboBox &&
                        SendMessageW(focused->hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
  switch (message.wParam) {
    case VK_TAB:
      moveFocus(GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_RETURN: {
      if (listOpen)
        return false;
      const bool takesReturn = focused && focused->definition->kind == ControlKind::Edit &&
                               focused->definition->wantReturn &&
                               hasStyle(focused->hwnd, ES_MULTILINE) &&
                               !hasStyle(focused->hwnd, ES_READONLY);
      if (takesReturn)
        return false;
      clickDefaultButton();
      return true;  // swallowed: no WM_CHAR, so no beep from a box that cannot take it
    }
    case VK_ESCAPE:
      if (listOpen)
        return false;
      if (definition_.escCloses)
        destroy();
      return true;
    default:
      return false;
  }
}

void Win32Window::moveFocus(bool backwards) {
  // The cycle runs from the last control of the definition towards the first.
  std::vector<HWND> cycle;
  for (auto control = controls_.rbegin(); control != controls_.rend(); ++control) {
    if (control->definition->tabStop && control->hwnd && IsWindowVisible(control->hwnd) &&
        IsWindowEnabled(control->hwnd)) {
      cycle.push_back(control->hwnd);
    }
  }
  if (cycle.empty())
    return;
  const Win32Control* focused = controlOf(GetFocus());
  const auto at = focused ? std::find(cycle.begin(), cycle.end(), focused->hwnd) : cycle.end();
  std::size_t next;
  if (at == cycle.end()) {
    next = backwards ? cycle.size() - 1 : 0;
  } else {
    const auto position = static_cast<std::size_t>(at - cycle.begin());
    next = backwards ? (position + cycle.size() - 1) % cycle.size() : (position + 1) % cycle.size();
  }
  SetFocus(cycle[next]);  // a combo box passes the focus on to its edit field, text selected
}

void Win32Window::clickDefaultButton() {
  for (const Win32Control& control : controls_) {
    if (control.definition->kind != ControlKind::Button || !control.definition->defaultButton) {
      continue;
    }
    // Sent as the button itself reports a click, without taking the focus from where the
    // user is typing.
    if (control.hwnd && IsWindowEnabled(control.hwnd)) {
      SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(control.id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(control.hwnd));
    }
    return;
  }
}

void Win32Window::rememberFocus() {
  HWND focus = GetFocus();
  if (hwnd_ && focus && IsChild(hwnd_, focus))
    savedFocus_ = focus;
}

bool Win32Window::restoreFocus() {
  if (!hwnd_ || !savedFocus_ || !IsWindow(savedFocus_) || !IsChild(hwnd_, savedFocus_) ||
      !IsWindowVisible(savedFocus_) || !IsWindowEnabled(savedFocus_)) {
    return false;
  }
  SetFocus(savedFocus_);
  return true;
}

}  // namespace xiulan::toolkit::win32
