// A window's notification-area icon and the popup menus opened from it.
#include "toolkit/win32/win32_backend.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "toolkit/win32/gbk_wide.h"
#include "toolkit/win32/icon_file.h"

namespace xiulan::toolkit::win32 {
namespace {

constexpr int kIconResource = 1;

NOTIFYICONDATAW trayData(HWND hwnd) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd;
  data.uID = kTrayIconId;
  return data;
}

}  // namespace

Bytes Win32Window::iconBytes() const {
  return iconFileFromResources(desktop_.instance(), kIconResource);
}

void Win32Window::setTrayIcon(const Bytes& iconFile, const Text& tip) {
  if (!hwnd_ || destroying_)
    return;
  HICON icon = iconFile.empty() ? nullptr
                                : makeIcon(iconFile, GetSystemMetrics(SM_CXSMICON),
                                           GetSystemMetrics(SM_CYSMICON));
  if (!icon) {  // no picture, no icon
    deleteTrayIcon();
    return;
  }
  const bool replace = trayPresent_;
  if (trayIcon_)
    DestroyIcon(trayIcon_);
  trayIcon_ = icon;
  trayTip_ = toWide(tip.bytes().substr(0, kTrayTipBytes));
  trayPresent_ = true;
  showTrayIcon(replace);
}

void Win32Window::showTrayIcon(bool replace) {
  NOTIFYICONDATAW data = trayData(hwnd_);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = trayIcon_;
  const std::size_t length = std::min(trayTip_.size(), std::size(data.szTip) - 1);
  std::wmemcpy(data.szTip, trayTip_.data(), length);
  data.szTip[length] = L'\0';
  // No NIM_SETVERSION: with the original behaviour the menu key on the icon arrives as a
  // right-button release, and a right click arrives once rather than also as WM_CONTEXTMENU.
  // An icon that the notification area lost (it restarted unseen) is added afresh.
  if (!(replace && Shell_NotifyIconW(NIM_MODIFY, &data)))
    Shell_NotifyIconW(NIM_ADD, &data);
}

void Win32Window::deleteTrayIcon() {
  if (!trayPresent_)
    return;
  NOTIFYICONDATAW data = trayData(hwnd_);
  Shell_NotifyIconW(NIM_DELETE, &data);
  trayPresent_ = false;
  if (trayIcon_)
    DestroyIcon(trayIcon_);
  trayIcon_ = nullptr;
  trayTip_.clear();
}

void Win32Window::handleTrayMessage(LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONUP:
      raiseTrayEvent(kTrayLeftButtonUp);
      break;
    case WM_LBUTTONDBLCLK:
      raiseTrayEvent(kTrayDoubleClick);
      break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      raiseTrayEvent(kTrayContextMenu);
      break;
    default:
      break;
  }
}

void Win32Window::raiseTrayEvent(int type) {
  if (definition_.onTrayEvent && exists() && !desktop_.shuttingDown()) {
    definition_.onTrayEvent(*this, type);
  }
}

void Win32Window::popUpMenu(const char* menu) {
  if (!hwnd_ || destroying_ || !menu)
    return;
  // The menu's position on the bar: one bar item per top-level entry of the definition.
  int position = 0;
  bool found = false;
  for (const MenuItemDefinition& item : definition_.menu) {
    if (item.level != 0)
      continue;
    if (std::strcmp(item.text, menu) == 0) {
      found = true;
      break;
    }
    ++position;
  }
  HMENU submenu = found ? GetSubMenu(GetMenu(hwnd_), position) : nullptr;
  if (!submenu)
    return;

  POINT at{};
  if (!GetCursorPos(&at)) {  // where the pointer was at the last message, the click
    const DWORD last = GetMessagePos();
    at = {GET_X_LPARAM(last), GET_Y_LPARAM(last)};
  }
  // A menu opened for a window that is not in the foreground does not close when the user
  // clicks elsewhere; and the message posted after it lets the next click open it again.
  SetForegroundWindow(hwnd_);
  const auto chosen = static_cast<int>(TrackPopupMenu(
      submenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
      at.x + 3, at.y + 3, 0, hwnd_, nullptr));
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  const int index = chosen - kFirstMenuId;
  if (chosen != 0 && index >= 0 && static_cast<std::size_t>(index) < definition_.menu.size()) {
    raise(definition_.menu[static_cast<std::size_t>(index)].onSelect);
  }
}

}  // namespace xiulan::toolkit::win32
