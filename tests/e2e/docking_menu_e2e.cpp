// The real program kept on the screen and docked at its top edge, and its menu commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "started_program.h"

namespace xiulan::e2e {
namespace {

// Moves the window from outside, as a window manager or another program does.
void moveWindow(HWND window, int left, int top) {
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool standsAt(HWND window, int left, int top) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return frame.left == left && frame.top == top;
}

TEST_F(StartedProgramTest, PushedPastTheTopItDocksAndSlidesAwayWithThePointer) {
  SetCursorPos(200, 100);  // inside the window's column while it docks
  moveWindow(window, 100, -10);
  ASSERT_TRUE(waitFor([&] { return standsAt(window, 100, 0); })) << "not pinned at the top";
  SetCursorPos(900, 600);  // out of its column
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(window); })) << "did not hide";
  SetCursorPos(250, 0);  // the top row above it
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; })) << "did not come back";
  EXPECT_TRUE(standsAt(window, 100, 0));
}

// Docks the window at (100, 0) and moves the pointer away until it has hidden itself.
::testing::AssertionResult dockAndHide(HWND window) {
  SetCursorPos(200, 100);
  moveWindow(window, 100, -10);
  if (!waitFor([&] { return standsAt(window, 100, 0); }))
    return ::testing::AssertionFailure() << "not pinned at the top";
  SetCursorPos(900, 600);
  if (!waitFor([&] { return !IsWindowVisible(window); }))
    return ::testing::AssertionFailure() << "did not hide";
  return ::testing::AssertionSuccess();
}

// The real mouse moved to a screen point, as the user moves it.
void moveMouseTo(int x, int y) {
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  move.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  move.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  SendInput(1, &move, sizeof(INPUT));
}

TEST_F(StartedProgramTest, DockedUnderATopmostBarItStillComesBackWithThePointer) {
  ASSERT_TRUE(dockAndHide(window));
  // Another program's always-on-top bar along the top of the screen, shown after the window
  // hid, as a task bar at the top is: the top row above the window is the bar's.
  HWND bar =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"STATIC", L"top bar",
                      WS_POPUP | WS_VISIBLE | SS_NOTIFY, 0, 0, GetSystemMetrics(SM_CXSCREEN), 30,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(bar, nullptr);
  // Gone after the test, passed or not: later tests click the notification area up there.
  const std::unique_ptr<HWND__, decltype(&DestroyWindow)> barGoes(bar, &DestroyWindow);
  ASSERT_TRUE(waitFor([&] {
    return WindowFromPoint({250, 0}) == bar;
  })) << "the bar is not what the pointer meets on the top row";
  moveMouseTo(250, 0);
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; })) << "did not come back";
  moveMouseTo(900, 600);
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(window); })) << "did not hide again";
}

TEST_F(StartedProgramTest, HomeShowsTheDockedHiddenWindowAndItsTicksGoOn) {
  ASSERT_TRUE(dockAndHide(window));
  SetCursorPos(200, 5);  // in its column, below the top row: a tick keeps a shown window shown
  OtherProgramWindow other;
  ASSERT_TRUE(other.activate());
  RunningProgram::pressKey(VK_HOME);
  ASSERT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; })) << "Home did not show it";
  SetCursorPos(900, 600);  // out of its column: the next tick hides it
  EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(window); })) << "no tick hid it";
  EXPECT_TRUE(standsAt(window, 100, 0));
}

TEST_F(StartedProgramTest, PulledBackFromBeyondTheRightEdge) {
  moveWindow(window, 1602, 20);
  EXPECT_TRUE(waitFor([&] { return standsAt(window, 1601, 20); }));
  moveWindow(window, -5, 20);
  EXPECT_TRUE(waitFor([&] { return standsAt(window, 0, 20); }));
}

// Where a menu draws an item's check mark: a strip along its left side. 窗口最前 is the last
// item of 菜单, so the strip is taken in the lower half of the menu, below the first item,
// which is highlighted when the menu is opened from the keyboard.
std::vector<std::uint32_t> checkMarkStrip(HWND menu) {
  const Picture picture = capture(menu);
  std::vector<std::uint32_t> strip;
  for (int y = picture.height / 2; y < picture.height - 4; ++y) {
    for (int x = 4; x < std::min(picture.width, 22); ++x) {
      strip.push_back(picture.pixels[static_cast<std::size_t>(y) * picture.width + x]);
    }
  }
  return strip;
}

// The program's popup menu, if one is shown now.
HWND shownPopupMenu(DWORD processId) {
  return findShownWindow(processId, L"#32768");
}

// The program's popup menu once it has opened, or nothing if it does not.
HWND openPopupMenu(DWORD processId) {
  HWND found = nullptr;
  waitFor([&] { return (found = shownPopupMenu(processId)) != nullptr; });
  return found;
}

TEST_F(StartedProgramTest, AlwaysOnTopSetsAndClearsTheCheckMarkAndTheTopmostStyle) {
  ASSERT_TRUE(program->bringToFront(window));
  // Opens 菜单 from the keyboard, as a user does, and takes a picture of its items.
  auto pictureOfTheMenu = [&] {
    RunningProgram::pressKey(VK_MENU);
    RunningProgram::pressKey(VK_DOWN);
    HWND popup = openPopupMenu(program->processId());
    // The picture is taken once the menu has finished drawing: five equal looks in a row.
    std::vector<std::uint32_t> pixels;
    int equalLooks = 0;
    if (popup) {
      waitFor([&] {
        std::vector<std::uint32_t> look = checkMarkStrip(popup);
        equalLooks = !look.empty() && look == pixels ? equalLooks + 1 : 0;
        pixels = std::move(look);
        return equalLooks >= 4;
      });
    }
    RunningProgram::pressKey(VK_ESCAPE);
    RunningProgram::pressKey(VK_ESCAPE);
    waitFor([&] { return shownPopupMenu(program->processId()) == nullptr; });
    return pixels;
  };
  // Chooses 窗口最前: the first item, then past the separator to the second.
  auto chooseAlwaysOnTop = [&] {
    RunningProgram::pressKey(VK_MENU);
    RunningProgram::pressKey(VK_DOWN);
    ASSERT_NE(openPopupMenu(program->processId()), nullptr);
    RunningProgram::pressKey(VK_DOWN);
    RunningProgram::pressKey(VK_RETURN);
  };
  const auto topmost = [&] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };

  // The first opening of a menu takes Wine a while to draw; it is not the one compared.
  pictureOfTheMenu();
  const std::vector<std::uint32_t> unchecked = pictureOfTheMenu();
  ASSERT_FALSE(unchecked.empty()) << "the menu did not open";
  EXPECT_FALSE(topmost());

  chooseAlwaysOnTop();
  EXPECT_TRUE(waitFor(topmost)) << "not on top after the first choice";
  const std::vector<std::uint32_t> checked = pictureOfTheMenu();
  EXPECT_NE(checked, unchecked) << "the item looks the same with its check mark";

  chooseAlwaysOnTop();
  EXPECT_TRUE(waitFor([&] { return !topmost(); })) << "still on top after the second choice";
  EXPECT_EQ(pictureOfTheMenu(), unchecked) << "the check mark did not go";
}

TEST_F(StartedProgramTest, ExitFromTheTrayMenuEndsWithZeroAndTakesTheIcon) {
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(window); }));
  HWND popup = openTrayIconMenu(program->processId());
  ASSERT_NE(popup, nullptr) << "no tray icon, or its right click opened no menu";
  // 退出 is the last item: a click just above the menu's bottom edge.
  RECT menu{};
  GetWindowRect(popup, &menu);
  SetCursorPos((menu.left + menu.right) / 2, menu.bottom - 8);
  INPUT choose[2] = {};
  choose[0].type = choose[1].type = INPUT_MOUSE;
  choose[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  choose[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, choose, sizeof(INPUT));

  const std::optional<DWORD> exitCode = program->waitForExit();
  ASSERT_TRUE(exitCode.has_value()) << "the program did not end";
  EXPECT_EQ(*exitCode, 0u);
  // The program removed its icon itself: Wine's tray window goes once it holds no icon.
  EXPECT_TRUE(waitFor([&] {
    HWND now = FindWindowW(nullptr, L"Wine System Tray");
    return !now || !IsWindowVisible(now);
  })) << "an icon was left in the notification area";
}

}  // namespace
}  // namespace xiulan::e2e
