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
  if (window.left() < 0)
    window.setLeft(0);
  const int screenWidth = window.desktop().screenWidth();
  const int left = window.left();
  const int width = window.width();
  if (left + width > screenWidth) {
    // A screen narrower than the window would have the left and right rules undo each other
    // for ever; the window settles with its left edge on the screen's.
    const int pulledBack = std::max(0, screenWidth - width);
    if (left != pulledBack)
      window.setLeft(pulledBack);
  }
}

void dockTick(toolkit::Window& window) {
  // One reading of the pointer serves the whole tick: the tests below cannot move it, and on
  // a real desktop every reading is a round trip to the display server, a thousand ticks a
  // second at most.
  const std::optional<toolkit::Point> pointer = window.desktop().pointerPosition();
  const int left = window.left();
  const int right = left + window.width();  // the column includes x = left + width
  // A position that cannot be read (a locked desktop) decides nothing.
  if (pointer) {
    if (pointer->y != 0) {
      const bool outside = pointer->x < left || pointer->x > right || pointer->y > window.height();
      // Hiding a hidden window changes nothing; skipping the call keeps a waiting tick cheap.
      if (outside && window.visible() != 0)
        window.setVisible(0);
    } else if (pointer->x >= left && pointer->x <= right && window.visible() == 0) {
      // On the top row within the column. Showing a window that is shown already would only
      // activate it again at every tick.
      window.setVisible(1);
    }
  }
  // Hidden, the window waits for the pointer on the top row of its column: until then every
  // tick would find nothing to do, so the timer rests instead of waking the program a hundred
  // times a second. Showing or moving the window ends the rest.
  if (window.visible() == 0)
    window.restTimerUntilPointerIn(时钟2, {left, 0, right, 0});
}

}  // namespace xiulan::lookup
