// Commands of the window's menu bar, also reached from the notification-area icon's menu.
#include "lookup_window/lookup_window.h"

namespace xiulan::lookup {

void exitProgram(toolkit::Window& window) {
  // A process that ends leaves its icon behind in the notification area until the pointer
  // passes over it, so the icon goes first.
  removeTrayIcon(window);
  window.desktop().endProgram(0);
}

}  // namespace xiulan::lookup
