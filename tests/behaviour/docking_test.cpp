// Keeping the lookup window on the primary screen and docking it at the top edge, on a
// 1920 x 1080 screen with the 319 x 439 window.
#include <gtest/gtest.h>

#include "desktop_fixture.h"

namespace xiulan::testing {
namespace {

using namespace lookup;
using toolkit::sim::SimDesktop;
using toolkit::sim::SimWindow;

constexpr int kHome = toolkit::kVirtualKeyHome;

class DockingTest : public DesktopTest {
 protected:
  // Started, then pushed past the top at left 100 with the pointer inside it: docked, shown.
  SimWindow& startDocked() {
    SimWindow& window = start();
    desktop.movePointer(200, 100);
    window.moveTo(100, -10);
    return window;
  }
  // Docked, then hidden by a tick with the pointer away from it.
  SimWindow& startDockedAndHidden() {
    SimWindow& window = startDocked();
    desktop.movePointer(900, 600);
    desktop.advanceTime(1);
    return window;
  }
};

TEST_F(DockingTest, MovesAreKeptOnScreenAndPastTheTopDock) {
  struct Case {
    int left, top;                // where the user drags the window
    int endLeft, endTop, period;  // where it ends and the period of 时钟2
  };
  const Case cases[] = {
      {100, -10, 100, 0, 1},      // pushed past the top: pinned there and docked
      {0, 0, 0, 0, 0},            // at the top exactly: not docked
      {-5, 20, 0, 20, 0},         // past the left edge
      {1601, 20, 1601, 20, 0},    // right edge at 1920
      {1602, 20, 1601, 20, 0},    // one pixel past the right edge
      {1700, -10, 1601, 0, 1},    // past the top and the right
      {800, 700, 800, 700, 0},    // reaching below the screen's bottom is allowed
      {2500, 100, 1601, 100, 0},  // onto a monitor to the right
      {-800, 100, 0, 100, 0},     // onto a monitor to the left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "moved to (" << c.left << ", " << c.top << ")");
    SimDesktop fresh;
    auto& window = *static_cast<SimWindow*>(fresh.createWindow(lookupWindowDefinition()));
    window.moveTo(c.left, c.top);
    EXPECT_EQ(window.left(), c.endLeft);
    EXPECT_EQ(window.top(), c.endTop);
    EXPECT_EQ(window.timerPeriod(时钟2), c.period);
  }
}

TEST_F(DockingTest, TheNestedEventIsHandledInsideTheWriteThatRaisedIt) {
  // keepOnScreen writes top 0 and only then the period 1. The event its own write raises runs
  // before the write returns and writes period 0; were it handled after the outer run, the
  // window would end undocked at once.
  SimWindow& window = start();
  window.moveTo(100, -10);
  EXPECT_EQ(window.top(), 0);
  EXPECT_EQ(window.timerPeriod(时钟2), 1);
  // Any later move that leaves the top at 0 or below it undocks, also along the top edge.
  window.moveTo(300, 0);
  EXPECT_EQ(window.timerPeriod(时钟2), 0);
}

TEST_F(DockingTest, AScreenNarrowerThanTheWindowSettlesAtLeftZero) {
  SimDesktop narrow(300, 600);
  auto& window = *static_cast<SimWindow*>(narrow.createWindow(lookupWindowDefinition()));
  EXPECT_EQ(window.left(), 0);
  for (int left : {50, -40, 400}) {
    window.moveTo(left, 30);
    EXPECT_EQ(window.left(), 0) << left;
    EXPECT_EQ(window.top(), 30);
  }
}

TEST_F(DockingTest, TicksHideAndShowTheDockedWindowByThePointer) {
  // Docked at left 100: the column runs from x = 100 to 419, and "below" means y > 439.
  struct Case {
    int x, y;
    bool shownBefore, shownAfter;
  };
  const Case cases[] = {
      {99, 5, true, false},   {100, 5, true, true},   {419, 5, true, true},
      {420, 5, true, false},  {200, 439, true, true}, {200, 440, true, false},
      {200, 0, false, true},  {99, 0, false, false},  {99, 0, true, true},
      {420, 0, false, false}, {420, 0, true, true},   {200, -20, false, false},
      {200, -20, true, true}, {100, 0, false, true},  {419, 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "pointer at (" << c.x << ", " << c.y << ")");
    SimDesktop fresh;
    auto& window = *static_cast<SimWindow*>(fresh.createWindow(lookupWindowDefinition()));
    fresh.movePointer(200, 100);  // inside the window while it docks
    window.moveTo(100, -10);
    ASSERT_EQ(window.timerPeriod(时钟2), 1);
    window.setVisible(c.shownBefore ? 1 : 0);
    fresh.movePointer(c.x, c.y);
    fresh.advanceTime(1);
    EXPECT_EQ(window.visible(), c.shownAfter ? 1 : 0);
    EXPECT_EQ(window.top(), 0);
  }
}

TEST_F(DockingTest, AnUnreadablePointerNeitherShowsNorHides) {
  SimWindow& window = startDocked();
  for (int shown : {1, 0}) {
    window.setVisible(shown);
    desktop.losePointer();
    desktop.advanceTime(50);
    EXPECT_EQ(window.visible(), shown);
  }
}

TEST_F(DockingTest, SlidesAwayAndComesBackAsThePointerMoves) {
  SimWindow& window = startDocked();
  desktop.movePointer(600, 300);  // out to the side
  desktop.advanceTime(1);
  EXPECT_EQ(window.visible(), 0);
  desktop.movePointer(250, 0);  // pushed against the top edge above it
  desktop.advanceTime(1);
  EXPECT_EQ(window.visible(), 1);
  desktop.movePointer(250, 200);  // down into the window: it stays
  desktop.advanceTime(20);
  EXPECT_EQ(window.visible(), 1);
  desktop.movePointer(250, 500);  // below it
  desktop.advanceTime(1);
  EXPECT_EQ(window.visible(), 0);
}

TEST_F(DockingTest, HiddenItWaitsWithoutTicksUntilThePointerTouchesTheTopRowAboveIt) {
  SimWindow& window = startDockedAndHidden();
  ASSERT_EQ(window.visible(), 0);
  const int ticksWhenHidden = window.control(时钟2).ticksRaised;

  // Nowhere here would a tick do anything to the hidden window.
  const toolkit::Point elsewhere[] = {{900, 600}, {99, 0},  {420, 0},
                                      {200, -20}, {200, 5}, {419, 1}};
  for (const toolkit::Point p : elsewhere) {
    desktop.movePointer(p.x, p.y);
    desktop.advanceTime(1000);
  }
  desktop.losePointer();
  desktop.advanceTime(1000);
  EXPECT_EQ(window.control(时钟2).ticksRaised, ticksWhenHidden) << "it ticked while waiting";
  EXPECT_EQ(window.visible(), 0);
  EXPECT_EQ(window.timerPeriod(时钟2), 1);

  desktop.movePointer(419, 0);
  desktop.advanceTime(1);
  EXPECT_EQ(window.visible(), 1);
}

TEST_F(DockingTest, AHiddenWindowMovedAlongTheTopWaitsAboveItsNewColumn) {
  SimWindow& window = startDockedAndHidden();
  ASSERT_EQ(window.visible(), 0);
  // Another program moves the hidden window; it docks again further right.
  window.moveTo(500, -10);
  ASSERT_EQ(window.timerPeriod(时钟2), 1);
  desktop.movePointer(700, 0);  // above the new column, outside the old one
  desktop.advanceTime(1);
  EXPECT_EQ(window.visible(), 1);
}

TEST_F(DockingTest, HomeAndTheTrayWithADockedWindow) {
  SimWindow& window = startDockedAndHidden();
  ASSERT_EQ(window.visible(), 0);

  // Home shows the docked, hidden window; the next tick hides it again, the pointer being away.
  desktop.pressKey(kHome);
  EXPECT_EQ(window.visible(), 1);
  desktop.advanceTime(1);
  EXPECT_EQ(window.visible(), 0);

  // Minimised, it goes to the tray with 时钟2 still ticking; ticks leave it hidden there.
  window.setVisible(1);
  desktop.clickMinimiseButton(window);
  EXPECT_EQ(window.timerPeriod(时钟2), 1);
  desktop.movePointer(200, 0);
  desktop.advanceTime(100);
  EXPECT_EQ(window.visible(), 0);
  EXPECT_EQ(window.windowState(), toolkit::kStateMinimised);

  // Restored from the tray it comes back at top 0, which undocks it, and is centred.
  desktop.doubleClickTrayIcon(window);
  EXPECT_EQ(window.timerPeriod(时钟2), 0);
  EXPECT_EQ(window.left(), 800);
  EXPECT_EQ(window.top(), 320);
  EXPECT_EQ(window.visible(), 1);
}

}  // namespace
}  // namespace xiulan::testing
