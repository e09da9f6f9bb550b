// Keeping the window on the primary screen, and docking it at the top edge: a window pushed
// past the top stays at top 0 and hides whenever the pointer leaves its column or goes below
// it, and comes back when the pointer touches the top row above it.
#include <algorithm>

#include "lookup_window/lookup_window.h"

namespace xiulan::lookup {

void keepOnScreen(toolkit::Window& window) {
  // Each write below moves the window and so runs this handler again, nested, before the write
  // returns; the nested run sees the corrected place. The period is written after the move, so
  // the outer run's "docked" outlasts the nested run's "not docked".
  if (window.top() < 0) {
    window.setTop(0);
    window.setTimerPeriod(时钟2, 1);
  } else {
    window.setTimerPeriod(时钟2, 0);
  }
  if (window.left() < 0) window.setLeft(0);
  const int screenWidth = window.desktop().screenWidth();
  const int left = window.left();
  const int width = window.width();
  if (left + width > screenWidth) {
    // A screen narrower than the window would have the left and right rules undo each other
    // for ever; the window settles with its left edge on the screen's.
    const int pulledBack = std::max(0, screenWidth - width);
    if (left != pulledBack) window.setLeft(pulledBack);
  }
}

void dockTick(toolkit::Window& window) {
  const std::optional<toolkit::Point> pointer = window.desktop().pointerPosition();
  // A position that cannot be read (a locked desktop) decides nothing.
  if (!pointer) return;
  if (pointer->y != 0) {
    // Three tests, each on a fresh reading, as the pointer and the window may have moved.
    const auto hideIf = [&](auto outside) {
      const std::optional<toolkit::Point> now = window.desktop().pointerPosition();
      // Hiding a hidden window changes nothing; skipping the call keeps a waiting tick cheap.
      if (now && outside(*now) && window.visible() != 0) window.setVisible(0);
    };
    hideIf([&](toolkit::Point at) { return at.x < window.left(); });
    hideIf([&](toolkit::Point at) { return at.x > window.left() + window.width(); });
    hideIf([&](toolkit::Point at) { return at.y > window.height(); });
    return;
  }
  // On the top row within the column, one pixel wider than the window on its right. Showing
  // a window that is shown already would only activate it again, a thousand times a second.
  if (pointer->x >= window.left() && pointer->x <= window.left() + window.width() &&
      window.visible() == 0) {
    window.setVisible(1);
  }
}

}  // namespace xiulan::lookup
