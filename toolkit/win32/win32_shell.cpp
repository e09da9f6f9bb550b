// Menu check marks, always-on-top, the system's About box and the default web browser.
#include "toolkit/win32/win32_backend.h"

#include <shellapi.h>

#include <cstring>

#include "toolkit/win32/gbk_wide.h"

namespace xiulan::toolkit::win32 {
namespace {

// The command id of the menu item with this text, or 0.
UINT menuItemId(const WindowDefinition& definition, const char* item) {
  for (std::size_t i = 0; i < definition.menu.size(); ++i) {
    const MenuItemDefinition& entry = definition.menu[i];
    if (!entry.separator && std::strcmp(entry.text, item) == 0) {
      return static_cast<UINT>(kFirstMenuId + static_cast<int>(i));
    }
  }
  return 0;
}

}  // namespace

bool Win32Window::menuChecked(const char* item) const {
  const UINT id = menuItemId(definition_, item);
  HMENU menu = hwnd_ ? GetMenu(hwnd_) : nullptr;
  if (!id || !menu)
    return false;
  const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void Win32Window::setMenuChecked(const char* item, bool checked) {
  const UINT id = menuItemId(definition_, item);
  HMENU menu = hwnd_ ? GetMenu(hwnd_) : nullptr;
  if (!id || !menu)
    return;
  CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool Win32Window::alwaysOnTop() const {
  return hwnd_ && (GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void Win32Window::setAlwaysOnTop(bool onTop) {
  if (!hwnd_)
    return;
  SetWindowPos(hwnd_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Window::showAboutBox(const Text& applicationText, const Text& furtherText) {
  // The wide-character About box with texts converted from GBK reads right on a Windows of
  // any language. A '#' would split the application text into title and first line; the
  // program's text has none.
  const std::wstring application = toWide(applicationText.bytes());
  const std::wstring further = toWide(furtherText.bytes());
  ShellAboutW(hwnd_, application.c_str(), further.c_str(), nullptr);
}

void Win32Desktop::openAddress(const Text& address) {
  const std::wstring wide = toWide(address.bytes());
  ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace xiulan::toolkit::win32
