// The notification-area icon and the Home hotkey: minimising sends the window into the
// notification area, a double click on the icon brings it back, a right click opens the 帮助
// menu there, and Home shows or hides the window from any program.
#include "lookup_window/lookup_window.h"

namespace xiulan::lookup {

void onPositionChanged(toolkit::Window& window) {
  if (window.windowState() == toolkit::kStateMinimised) {
    sendToTray(window);
  } else {
    keepOnScreen(window);
  }
}

void sendToTray(toolkit::Window& window) {
  // Both timers keep running: clipboard lookup goes on while the window is in the tray.
  window.setTrayIcon(window.iconBytes(), kTrayTip);
  window.setVisible(0);
}

void onTrayEvent(toolkit::Window& window, int type) {
  if (type == toolkit::kTrayDoubleClick)
    restoreFromTray(window);
  if (type == toolkit::kTrayContextMenu)
    showTrayMenu(window);
}

void restoreFromTray(toolkit::Window& window) {
  removeTrayIcon(window);
  window.setVisible(1);  // shown, still minimised: a task-bar button
  // Restoring and then centring each raise position-changed before the write returns, so
  // the window is in place before the focus moves.
  window.setWindowState(toolkit::kStateRestoreAndCentre);
  window.setFocus(组合框_搜索内容);
  window.setTimerPeriod(时钟1, 0);  // the double click is what ends clipboard lookup
}

void showTrayMenu(toolkit::Window& window) {
  window.popUpMenu("帮助");
}

void toggleVisibility(toolkit::Window& window) {
  window.setVisible(window.visible() == 1 ? 0 : 1);
}

void removeTrayIcon(toolkit::Window& window) {
  window.setTrayIcon(Bytes(), Text());
}

}  // namespace xiulan::lookup
