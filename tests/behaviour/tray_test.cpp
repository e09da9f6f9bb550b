// The notification-area icon and the Home hotkey: every way into and out of the tray.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "lookup_window/lookup_window.h"

namespace xiulan::testing {
namespace {

using namespace lookup;
using toolkit::kStateMinimised;
using toolkit::kVirtualKeyHome;
using toolkit::sim::SimWindow;

using TrayTest = DesktopTest;

// States of the window as the user sees them, and how a user gets there from start-up.
enum class From {
  Shown,
  ShownBehindAnotherProgram,
  InTray,
  MinimisedAndShown,  // Home pressed while in the tray
  ShownWithIcon,      // then restored from the task-bar button: the icon is still there
  HiddenByHotkey,
  HiddenByHotkeyBehindAnotherProgram,
};

enum class Action {
  MinimiseButton,
  Button2,
  DoubleClickIcon,
  RightClickIcon,  // the menu is closed without a choice
  ClickIcon,
  Home,
  TaskbarButton,
  CloseButton,
  RestartNotificationArea,
};

// Where the window stands before the action, away from the centre so that centring shows.
constexpr int kLeft = 100, kTop = 50;
constexpr int kCentredLeft = 800, kCentredTop = 320;  // (1920 - 319) / 2, (1080 - 439) / 2

TEST_F(TrayTest, Transitions) {
  struct Case {
    From from;
    Action action;
    bool visible;
    bool minimised;
    bool icon;
    bool centred = false;  // moved to the centre, the focus in the query box
    int clipboardPeriod = 500;
    bool exists = true;
  };
  const Case cases[] = {
      {From::Shown, Action::MinimiseButton, false, true, true},
      {From::Shown, Action::Button2, false, true, true},
      {From::InTray, Action::DoubleClickIcon, true, false, false, true, 0},
      {From::InTray, Action::RightClickIcon, false, true, true},
      {From::InTray, Action::ClickIcon, false, true, true},
      {From::InTray, Action::Home, true, true, true},
      {From::InTray, Action::RestartNotificationArea, false, true, true},
      {From::MinimisedAndShown, Action::Home, false, true, true},
      {From::MinimisedAndShown, Action::DoubleClickIcon, true, false, false, true, 0},
      {From::MinimisedAndShown, Action::TaskbarButton, true, false, true},
      {From::ShownWithIcon, Action::MinimiseButton, false, true, true},
      {From::ShownWithIcon, Action::DoubleClickIcon, true, false, false, true, 0},
      {From::ShownWithIcon, Action::Home, false, false, true},
      {From::ShownWithIcon, Action::CloseButton, false, false, false, false, 500, false},
      {From::Shown, Action::Home, false, false, false},
      {From::ShownBehindAnotherProgram, Action::Home, false, false, false},
      {From::HiddenByHotkey, Action::Home, true, false, false},
      {From::HiddenByHotkeyBehindAnotherProgram, Action::Home, true, false, false},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "from " << static_cast<int>(c.from) << ", action "
                                      << static_cast<int>(c.action));
    toolkit::sim::SimDesktop desk;
    desk.setProgramIcon(programIconFile());
    desk.movePointer(1500, 1000);
    auto& window = *static_cast<SimWindow*>(desk.createWindow(lookupWindowDefinition()));
    window.moveTo(kLeft, kTop);
    window.setFocus(编辑框_输出框);
    window.setTimerPeriod(时钟1, 500);  // clipboard lookup on: only the double click ends it

    switch (c.from) {
      case From::Shown:
        break;
      case From::ShownBehindAnotherProgram:
        desk.activateOtherProgram();
        break;
      case From::InTray:
        desk.clickMinimiseButton(window);
        break;
      case From::MinimisedAndShown:
        desk.clickMinimiseButton(window);
        desk.pressKey(kVirtualKeyHome);
        break;
      case From::ShownWithIcon:
        desk.clickMinimiseButton(window);
        desk.pressKey(kVirtualKeyHome);
        desk.clickTaskbarButton(window);
        break;
      case From::HiddenByHotkey:
        desk.pressKey(kVirtualKeyHome);
        break;
      case From::HiddenByHotkeyBehindAnotherProgram:
        desk.pressKey(kVirtualKeyHome);
        desk.activateOtherProgram();
        break;
    }

    switch (c.action) {
      case Action::MinimiseButton:
        desk.clickMinimiseButton(window);
        break;
      case Action::Button2:
        desk.clickButton(window, 按钮2);
        break;
      case Action::DoubleClickIcon:
        desk.doubleClickTrayIcon(window);
        break;
      case Action::RightClickIcon:
        desk.rightClickTrayIcon(window);
        break;
      case Action::ClickIcon:
        desk.clickTrayIcon(window);
        break;
      case Action::Home:
        desk.pressKey(kVirtualKeyHome);
        break;
      case Action::TaskbarButton:
        desk.clickTaskbarButton(window);
        break;
      case Action::CloseButton:
        desk.clickCloseButton(window);
        break;
      case Action::RestartNotificationArea:
        desk.restartNotificationArea();
        break;
    }

    EXPECT_EQ(window.exists(), c.exists);
    EXPECT_EQ(window.visible(), c.visible ? 1 : 0);
    if (c.exists) {
      EXPECT_EQ(window.windowState() == kStateMinimised, c.minimised);
      if (!c.minimised) {
        EXPECT_EQ(window.left(), c.centred ? kCentredLeft : kLeft);
        EXPECT_EQ(window.top(), c.centred ? kCentredTop : kTop);
      }
      if (c.visible && !c.minimised) {
        EXPECT_TRUE(window.isActive());
      }
      if (c.centred) {
        EXPECT_EQ(window.focusedControl(), 组合框_搜索内容);
      }
      EXPECT_EQ(window.timerPeriod(时钟1), c.clipboardPeriod);
    }
    // Never a second icon; the one there has the window's picture and the tip.
    ASSERT_EQ(desk.trayIcons().size(), c.icon ? 1u : 0u);
    if (c.icon) {
      EXPECT_EQ(desk.trayIcons()[0].window, &window);
      EXPECT_EQ(desk.trayIcons()[0].picture, programIconFile());
      EXPECT_EQ(desk.trayIcons()[0].tip, Text("双击打开 岫澜搜索工具"));
    }
    EXPECT_EQ(desk.popUps().size(), c.action == Action::RightClickIcon ? 1u : 0u);
  }
}

TEST_F(TrayTest, RightClickOpensTheHelpMenuAtThePointer) {
  SimWindow& window = start();
  desktop.clickMinimiseButton(window);
  desktop.movePointer(1700, 1050);
  desktop.rightClickTrayIcon(window);
  ASSERT_EQ(desktop.popUps().size(), 1u);
  const toolkit::sim::SimPopUp& menu = desktop.popUps()[0];
  EXPECT_EQ(menu.window, &window);
  EXPECT_EQ(menu.corner, (toolkit::Point{1703, 1053}));
  EXPECT_EQ(menu.items, (std::vector<std::string>{"关于", "-", "退出"}));
  EXPECT_EQ(window.visible(), 0);
}

TEST_F(TrayTest, ExitFromTheTrayMenuRemovesTheIconAndEndsWithZero) {
  SimWindow& window = start();
  desktop.clickButton(window, 按钮2);  // clipboard lookup on
  desktop.copyInOtherProgram("kept");
  desktop.chooseInNextPopUp("退出");
  desktop.rightClickTrayIcon(window);
  EXPECT_TRUE(desktop.programEnded());
  EXPECT_FALSE(window.exists());
  EXPECT_TRUE(desktop.trayIcons().empty());
  EXPECT_EQ(desktop.runEventLoop(), 0);
  EXPECT_EQ(desktop.pasteInOtherProgram(), Text("kept"));
}

TEST_F(TrayTest, WithoutAPictureTheWindowStillHidesAndHomeBringsItBack) {
  struct Case {
    const char* what;
    Bytes icon;
    bool iconBefore;  // an icon from an earlier minimise stands in the tray
  };
  const Bytes notAnIcon = "GIF89a, not an icon file at all";
  const Case cases[] = {
      {"no icon", "", false},
      {"bytes that are no icon", notAnIcon, false},
      {"no icon, one there before", "", true},
      {"bytes that are no icon, one there before", notAnIcon, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    toolkit::sim::SimDesktop desk;
    desk.setProgramIcon(programIconFile());
    auto& window = *static_cast<SimWindow*>(desk.createWindow(lookupWindowDefinition()));
    if (c.iconBefore) {
      desk.clickMinimiseButton(window);
      desk.pressKey(kVirtualKeyHome);
      desk.clickTaskbarButton(window);
      ASSERT_EQ(desk.trayIcons().size(), 1u);
    }
    desk.setProgramIcon(c.icon);
    desk.clickMinimiseButton(window);
    EXPECT_TRUE(desk.trayIcons().empty());
    EXPECT_EQ(window.visible(), 0);
    desk.pressKey(kVirtualKeyHome);
    EXPECT_EQ(window.visible(), 1);
    EXPECT_EQ(window.windowState(), kStateMinimised);
  }
}

TEST_F(TrayTest, TipKeepsItsFirst62Bytes) {
  SimWindow& window = start();
  const std::string tip(70, 'x');
  window.setTrayIcon(programIconFile(), Text(tip));
  ASSERT_EQ(desktop.trayIcons().size(), 1u);
  EXPECT_EQ(desktop.trayIcons()[0].tip, Text(tip.substr(0, 62)));
  removeTrayIcon(window);
  EXPECT_TRUE(desktop.trayIcons().empty());
  removeTrayIcon(window);  // removing an absent icon does nothing
  EXPECT_TRUE(desktop.trayIcons().empty());
}

}  // namespace
}  // namespace xiulan::testing
