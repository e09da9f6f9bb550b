// The menu bar's commands: always on top, the two web pages, the About box and 退出.
#include <gtest/gtest.h>

#include <string>

#include "desktop_fixture.h"

namespace xiulan::testing {
namespace {

using namespace lookup;
using toolkit::sim::SimWindow;

using MenuCommandsTest = DesktopTest;

TEST_F(MenuCommandsTest, AlwaysOnTopFollowsTheCheckMark) {
  SimWindow& window = start();
  EXPECT_FALSE(window.menuChecked("窗口最前"));
  EXPECT_FALSE(window.alwaysOnTop());
  for (bool expected : {true, false, true}) {
    desktop.chooseMenuItem(window, "窗口最前");
    EXPECT_EQ(window.menuChecked("窗口最前"), expected);
    EXPECT_EQ(window.alwaysOnTop(), expected);
  }
  EXPECT_EQ(window.left(), 800);  // neither moved
  EXPECT_EQ(window.top(), 320);
}

TEST_F(MenuCommandsTest, WebPagesAndTheAboutBoxLeadToTheSameShop) {
  SimWindow& window = start();
  desktop.chooseMenuItem(window, "腾讯微博");
  desktop.chooseMenuItem(window, "作者淘宝");
  desktop.chooseMenuItem(window, "关于");
  ASSERT_EQ(desktop.openedAddresses().size(), 2u);
  EXPECT_EQ(desktop.openedAddresses()[0], Text(kMicroblogPageAddress));
  EXPECT_EQ(desktop.openedAddresses()[1], Text(kShopPageAddress));
  ASSERT_EQ(desktop.aboutBoxes().size(), 1u);
  const auto& about = desktop.aboutBoxes()[0];
  EXPECT_EQ(about.owner, &window);
  EXPECT_EQ(about.applicationText, Text(kAboutAppText));
  // A shop label followed directly by the shop's address, the one 作者淘宝 opens.
  const std::string further(about.furtherText.bytes());
  const std::string shop(kShopPageAddress);
  ASSERT_GT(further.size(), shop.size());
  EXPECT_EQ(further.substr(further.size() - shop.size()), shop);
  EXPECT_EQ(findText(about.furtherText, "http"),
            static_cast<std::int64_t>(further.size() - shop.size() + 1));
}

TEST_F(MenuCommandsTest, AboutFromTheTrayMenuLeavesTheWindowHidden) {
  SimWindow& window = start();
  desktop.clickMinimiseButton(window);
  desktop.chooseInNextPopUp("关于");
  desktop.rightClickTrayIcon(window);
  ASSERT_EQ(desktop.aboutBoxes().size(), 1u);
  EXPECT_FALSE(desktop.aboutBoxes()[0].ownerVisible);
  EXPECT_EQ(window.visible(), 0);
  EXPECT_EQ(desktop.trayIcons().size(), 1u);
}

TEST_F(MenuCommandsTest, ExitWhileClipboardLookupIsOnLeavesTheClipboardAlone) {
  SimWindow& window = start();
  desktop.clickButton(window, 按钮2);
  desktop.copyInOtherProgram("File");  // matches nothing: it stays through the ticks
  desktop.advanceTime(1000);
  desktop.copyInOtherProgram("file");  // would match, but the program ends before its tick
  desktop.chooseInNextPopUp("退出");
  desktop.rightClickTrayIcon(window);
  EXPECT_EQ(desktop.exitCode(), std::optional<int>(0));
  EXPECT_TRUE(desktop.trayIcons().empty());
  desktop.advanceTime(1000);
  EXPECT_EQ(desktop.pasteInOtherProgram(), std::optional<Text>(Text("file")));
}

TEST_F(MenuCommandsTest, ExitFromTheMenuBarEndsWithZero) {
  SimWindow& window = start();
  desktop.chooseMenuItem(window, "退出");
  EXPECT_EQ(desktop.exitCode(), std::optional<int>(0));
  EXPECT_FALSE(window.exists());
}

}  // namespace
}  // namespace xiulan::testing
