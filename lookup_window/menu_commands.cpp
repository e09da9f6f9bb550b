// Commands of the window's menu bar, also reached from the notification-area icon's menu.
#include "editor/editor.h"
#include "lookup_window/lookup_window.h"

namespace xiulan::lookup {

void toggleAlwaysOnTop(toolkit::Window& window) {
  // The check mark alone decides: the window is on top exactly when the item shows it.
  if (!window.menuChecked("窗口最前")) {
    window.setMenuChecked("窗口最前", true);
    window.setAlwaysOnTop(true);
  } else {
    window.setMenuChecked("窗口最前", false);
    window.setAlwaysOnTop(false);
  }
}

void openMicroblogPage(toolkit::Window& window) {
  window.desktop().openAddress(kMicroblogPageAddress);
}

void openShopPage(toolkit::Window& window) {
  window.desktop().openAddress(kShopPageAddress);
}

void showAboutBox(toolkit::Window& window) {
  window.showAboutBox(kAboutAppText, kAboutOtherText);
}

void exitProgram(toolkit::Window& window) {
  // While a question box waits (the editor's "是否保存?"), its answer decides whether the
  // user's edits are kept: ending now would drop them unasked. 退出 waits for that answer.
  if (window.desktop().askingQuestion())
    return;
  // An open word editor closes through its own closing path first, which asks whether to keep
  // unsaved edits (退出 can be chosen from the notification-area icon's menu while it is open).
  editor::closeOpenWordEditor(window.desktop());
  // A process that ends leaves its icon behind in the notification area until the pointer
  // passes over it, so the icon goes first.
  removeTrayIcon(window);
  window.desktop().endProgram(0);
}

}  // namespace xiulan::lookup
