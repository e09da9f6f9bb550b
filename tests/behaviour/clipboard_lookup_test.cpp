// Clipboard lookup: what a tick of 时钟1 does with what other programs put on the clipboard,
// the balloon it shows and how the balloon goes away, and how the mode starts and ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "lookup_window/lookup_window.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan::testing {
namespace {

using namespace lookup;
using toolkit::kVirtualKeyHome;
using toolkit::sim::ClipboardHold;
using toolkit::sim::SimBalloon;
using toolkit::sim::SimDesktop;
using toolkit::sim::SimWindow;

constexpr int kPeriod = 500;
constexpr int kDisplayMs = 5000;

class ClipboardLookupTest : public DesktopTest {
 protected:
  // Starts the program and clicks 按钮2; the next tick comes one period later.
  SimWindow& startClipboardMode(SimDesktop& on) {
    on.setProgramIcon(programIconFile());
    on.movePointer(600, 400);
    auto& window = *static_cast<SimWindow*>(on.createWindow(lookupWindowDefinition()));
    on.clickButton(window, 按钮2);
    return window;
  }
  static const SimBalloon& balloon(const SimWindow& window) {
    return window.control(气球提示框1).balloon;
  }
};

TEST_F(ClipboardLookupTest, Ticks) {
  struct Case {
    const char* what;
    std::function<void(SimDesktop&)> clipboard;  // what other programs do before the tick
    std::optional<Text> balloon;                 // nothing: no balloon
    std::optional<Text> clipboardAfter;          // its text; nothing: no text format
    std::vector<std::string> formatsAfter{"text"};
  };
  const auto copy = [](const char* text) {
    return [=](SimDesktop& on) { on.copyInOtherProgram(text); };
  };
  const Case cases[] = {
      {"a term", copy("file"), builtInLines({1, 125, 241}), Text()},
      {"a term with one line", copy("help"), builtInLines({35}), Text()},
      {"a single Chinese character", copy("助"), builtInLines({35, 434, 758}), Text()},
      {"two Chinese characters", copy("帮助"), builtInLines({35, 434}), Text()},
      {"every line", copy("、"), concatText(kBuiltInVocabulary, "\r\n"), Text()},
      {"a single letter", copy("a"), std::nullopt, Text("a")},
      {"no match", copy("File"), std::nullopt, Text("File")},
      {"a whole copied line", copy("file\r\n"), std::nullopt, Text("file\r\n")},
      {"an empty text", copy(""), std::nullopt, Text()},
      {"a picture",
       [](SimDesktop& on) { on.copyNonTextInOtherProgram("picture"); },
       std::nullopt,
       std::nullopt,
       {"picture"}},
      {"held open at the read",
       [](SimDesktop& on) {
         on.copyInOtherProgram("file");
         on.otherProgramOpensClipboard(ClipboardHold::Now);
       },
       std::nullopt, Text("file")},
      {"held open at the emptying",
       [](SimDesktop& on) {
         on.copyInOtherProgram("file");
         on.otherProgramOpensClipboard(ClipboardHold::AfterNextRead);
       },
       builtInLines({1, 125, 241}), Text("file")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimDesktop desk;
    SimWindow& window = startClipboardMode(desk);
    c.clipboard(desk);
    desk.advanceTime(kPeriod - 1);
    ASSERT_FALSE(balloon(window).shown);  // nothing before the tick
    desk.advanceTime(1);

    // One balloon and one emptying for a tick that matched; neither for one that did not.
    EXPECT_EQ(balloon(window).showings, c.balloon ? 1 : 0);
    EXPECT_EQ(balloon(window).shown, c.balloon.has_value());
    if (c.balloon) {
      EXPECT_EQ(balloon(window).text, *c.balloon);
      EXPECT_EQ(balloon(window).point, (toolkit::Point{600, 400}));
      EXPECT_EQ(balloon(window).iconIndex, -1);
      EXPECT_TRUE(balloon(window).autoClose);
      EXPECT_EQ(balloon(window).shownAt, kPeriod);
    }
    const bool emptied = c.balloon && c.clipboardAfter == Text();
    EXPECT_EQ(desk.clipboardEmptyings(), emptied ? 1 : 0);
    EXPECT_EQ(desk.pasteInOtherProgram(), c.clipboardAfter);
    EXPECT_EQ(desk.clipboardFormats(), c.formatsAfter);
    // Clipboard lookup leaves the window's boxes alone.
    EXPECT_EQ(window.text(编辑框_输出框), Text(kWelcomeText));
    EXPECT_TRUE(window.listItems(组合框_搜索内容).empty());
  }
}

TEST_F(ClipboardLookupTest, TextLeftOnTheClipboardIsLookedUpAgainAtEveryTick) {
  struct Case {
    const char* what;
    std::function<void(SimDesktop&)> beforeSecondTick;
    int showings;  // after the second tick
    int emptyings;
  };
  const Case cases[] = {
      // The other program lets go after the failed emptying: the same balloon again, and
      // this time the clipboard is emptied.
      {"held at the emptying, then released",
       [](SimDesktop& on) { on.otherProgramClosesClipboard(); }, 2, 1},
      // Still held: the read fails and the tick does nothing.
      {"still held", [](SimDesktop&) {}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimDesktop desk;
    SimWindow& window = startClipboardMode(desk);
    desk.copyInOtherProgram("file");
    desk.otherProgramOpensClipboard(ClipboardHold::AfterNextRead);
    desk.advanceTime(kPeriod);
    ASSERT_EQ(balloon(window).showings, 1);
    ASSERT_EQ(desk.pasteInOtherProgram(), Text("file"));
    c.beforeSecondTick(desk);
    desk.advanceTime(kPeriod);
    EXPECT_EQ(balloon(window).showings, c.showings);
    EXPECT_EQ(desk.clipboardEmptyings(), c.emptyings);
    EXPECT_EQ(balloon(window).text, builtInLines({1, 125, 241}));
  }

  // No match: looked up at every tick, shown never.
  SimDesktop desk;
  SimWindow& window = startClipboardMode(desk);
  desk.copyInOtherProgram("File");
  desk.advanceTime(10 * kPeriod);
  EXPECT_EQ(balloon(window).showings, 0);
  EXPECT_EQ(desk.pasteInOtherProgram(), Text("File"));
}

TEST_F(ClipboardLookupTest, BalloonClosesAfter5000MsCountedAfreshByASecondCopy) {
  SimDesktop desk;
  SimWindow& window = startClipboardMode(desk);
  desk.copyInOtherProgram("file");
  desk.advanceTime(kPeriod);  // t = 500: shown
  ASSERT_TRUE(balloon(window).shown);
  desk.advanceTime(kDisplayMs - 1);
  EXPECT_TRUE(balloon(window).shown);
  desk.advanceTime(1);  // t = 5500
  EXPECT_FALSE(balloon(window).shown);

  // Copied again two seconds after the first balloon: the second takes its place at the
  // pointer's new position, and its 5000 ms start at its own showing.
  desk.advanceTime(500);  // t = 6000
  desk.copyInOtherProgram("file");
  desk.advanceTime(kPeriod);  // t = 6500: shown
  desk.advanceTime(2000);     // t = 8500
  desk.movePointer(900, 700);
  desk.copyInOtherProgram("help");
  desk.advanceTime(kPeriod);  // t = 9000: the second balloon replaces the first
  EXPECT_EQ(balloon(window).showings, 3);
  EXPECT_EQ(balloon(window).text, builtInLines({35}));
  EXPECT_EQ(balloon(window).point, (toolkit::Point{900, 700}));
  desk.advanceTime(11500 - 9000);  // when the first would have closed
  EXPECT_TRUE(balloon(window).shown);
  desk.advanceTime(14000 - 11500 - 1);
  EXPECT_TRUE(balloon(window).shown);
  desk.advanceTime(1);  // t = 14000
  EXPECT_FALSE(balloon(window).shown);
}

TEST_F(ClipboardLookupTest, BalloonHiddenByInputInTheProgramNotByMovingTheMouse) {
  struct Case {
    const char* what;
    std::function<void(SimDesktop&, SimWindow&)> action;
    bool hides;
  };
  const Case cases[] = {
      {"a key in the lookup window", [](SimDesktop& on, SimWindow&) { on.pressKey('A'); }, true},
      {"typing in the lookup window", [](SimDesktop& on, SimWindow&) { on.typeText("x"); }, true},
      {"a click in the lookup window",
       [](SimDesktop& on, SimWindow& w) { on.clickControl(w, 编辑框_输出框); }, true},
      {"a click on a button", [](SimDesktop& on, SimWindow& w) { on.clickButton(w, 按钮1); }, true},
      {"the mouse wheel", [](SimDesktop& on, SimWindow& w) { on.turnMouseWheel(w); }, true},
      {"a click on the balloon",
       [](SimDesktop& on, SimWindow& w) { on.clickBalloon(w, 气球提示框1); }, true},
      {"moving the mouse", [](SimDesktop& on, SimWindow&) { on.movePointer(10, 10); }, false},
      {"a key in another program",
       [](SimDesktop& on, SimWindow&) {
         on.activateOtherProgram();
         on.pressKey('A');
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimDesktop desk;
    SimWindow& window = startClipboardMode(desk);
    // The window brought back without the double click: the mode goes on.
    desk.pressKey(kVirtualKeyHome);
    desk.clickTaskbarButton(window);
    ASSERT_TRUE(window.isActive());
    window.setFocus(编辑框_输出框);
    desk.copyInOtherProgram("file");
    desk.advanceTime(kPeriod);
    ASSERT_TRUE(balloon(window).shown);
    c.action(desk, window);
    EXPECT_EQ(balloon(window).shown, !c.hides);
  }
}

TEST_F(ClipboardLookupTest, ModeGoesOnUntilTheDoubleClickOnTheIcon) {
  SimDesktop desk;
  SimWindow& window = startClipboardMode(desk);
  EXPECT_EQ(window.visible(), 0);
  EXPECT_EQ(window.timerPeriod(时钟1), kPeriod);

  // Home shows the window (minimised) and hides it again; the mode goes on either way.
  desk.pressKey(kVirtualKeyHome);
  desk.copyInOtherProgram("file");
  desk.advanceTime(kPeriod);  // t = 1000
  EXPECT_EQ(balloon(window).showings, 1);
  desk.pressKey(kVirtualKeyHome);
  desk.copyInOtherProgram("help");
  desk.advanceTime(kPeriod);  // t = 1500
  EXPECT_EQ(balloon(window).showings, 2);

  // Restored from the task bar, the window looks up what is copied in it too.
  desk.pressKey(kVirtualKeyHome);
  desk.clickTaskbarButton(window);
  ASSERT_EQ(window.visible(), 1);
  desk.copyInOtherProgram("file");
  desk.advanceTime(kPeriod);  // t = 2000
  EXPECT_EQ(balloon(window).showings, 3);
  EXPECT_EQ(desk.pasteInOtherProgram(), Text());

  // 按钮2 again goes into the tray without restarting the timer: the next tick keeps its
  // time, 500 ms after the last one rather than after the click.
  desk.advanceTime(200);  // t = 2200
  desk.clickButton(window, 按钮2);
  EXPECT_EQ(window.visible(), 0);
  desk.copyInOtherProgram("help");
  desk.advanceTime(300);  // t = 2500
  EXPECT_EQ(balloon(window).showings, 4);

  // The double click on the icon ends the mode: what is copied now stays.
  desk.doubleClickTrayIcon(window);
  EXPECT_EQ(window.timerPeriod(时钟1), 0);
  desk.copyInOtherProgram("file");
  desk.advanceTime(10 * kPeriod);
  EXPECT_EQ(balloon(window).showings, 4);
  EXPECT_EQ(desk.pasteInOtherProgram(), Text("file"));
}

// A balloon whose lines do not all fit shows as many as fit, then how many more there are,
// and stays on the screen.
TEST_F(ClipboardLookupTest, BalloonStaysOnTheScreen) {
  using toolkit::sim::kBalloonByteWidth;
  using toolkit::sim::kBalloonLineHeight;
  using toolkit::sim::kBalloonMargin;
  struct Case {
    const char* what;
    int screenWidth, screenHeight;
    int x, y;
    const char* copied;
  };
  const Case cases[] = {
      {"fits, at the bottom-right corner", 1920, 1080, 1910, 1075, "file"},
      {"fits, at the top-left corner", 1920, 1080, 0, 0, "file"},
      {"too many lines for the height", 800, 200, 400, 100, "、"},
      {"too many lines for a full-HD screen", 1920, 1080, 600, 400, "、"},
      {"lines that wrap on a narrow screen", 120, 600, 60, 300, "、"},
      {"too long a text for the balloon", 1920, 40000, 0, 0, "、"},
      {"not even one line fits", 1920, 30, 10, 10, "、"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimDesktop desk(c.screenWidth, c.screenHeight);
    SimWindow& window = startClipboardMode(desk);
    desk.movePointer(c.x, c.y);
    desk.copyInOtherProgram(c.copied);
    desk.advanceTime(kPeriod);
    const SimBalloon& shown = balloon(window);
    ASSERT_TRUE(shown.shown);

    // The balloon lies within the screen, at the point unless that would put it past an edge.
    EXPECT_GE(shown.left, 0);
    EXPECT_GE(shown.top, 0);
    EXPECT_LE(shown.left + shown.width, c.screenWidth);
    EXPECT_LE(shown.top + shown.height, c.screenHeight);
    if (c.x + shown.width <= c.screenWidth) {
      EXPECT_EQ(shown.left, c.x);
    }
    if (c.y + shown.height <= c.screenHeight) {
      EXPECT_EQ(shown.top, c.y);
    }

    // What it shows: the first lines that fit, then a line counting the rest; no more text
    // than the system's tooltip keeps.
    EXPECT_LE(shown.shownText.bytes().size(), 1023u);
    const std::vector<Text> matched = splitText(shown.text, "\r\n");
    const std::vector<Text> lines = splitText(shown.shownText, "\r\n");
    ASSERT_FALSE(lines.empty());
    std::size_t listed = lines.size();
    if (listed < matched.size() || lines.back() != matched.back()) {
      --listed;
      EXPECT_EQ(
          lines.back(),
          concatText("……另有 ", integerToText(static_cast<std::int32_t>(matched.size() - listed)),
                     " 条"));
    }
    for (std::size_t i = 0; i < listed; ++i)
      EXPECT_EQ(lines[i], matched[i]) << i;

    // And no more fit: one more line, with the count line, would be too tall or too long.
    const int wrapWidth = c.screenWidth - 2 * kBalloonMargin;
    const auto height = [&](const Text& line) {
      const int width = static_cast<int>(line.bytes().size()) * kBalloonByteWidth;
      return kBalloonLineHeight * std::max(1, (width + wrapWidth - 1) / wrapWidth);
    };
    if (listed < matched.size()) {
      int tallerBy = height(lines.back());
      std::size_t longerBy = lines.back().bytes().size();
      for (std::size_t i = 0; i <= listed; ++i) {
        tallerBy += height(matched[i]);
        longerBy += matched[i].bytes().size() + 2;
      }
      EXPECT_TRUE(tallerBy > c.screenHeight - 2 * kBalloonMargin || longerBy > 1023)
          << listed << " lines shown";
    }
  }
}

TEST_F(ClipboardLookupTest, PointerThatCannotBeReadPutsTheBalloonInTheMiddle) {
  SimDesktop desk;
  SimWindow& window = startClipboardMode(desk);
  desk.losePointer();
  desk.copyInOtherProgram("file");
  desk.advanceTime(kPeriod);
  ASSERT_TRUE(balloon(window).shown);
  EXPECT_EQ(balloon(window).point, (toolkit::Point{960, 540}));
  EXPECT_EQ(desk.pasteInOtherProgram(), Text());
}

}  // namespace
}  // namespace xiulan::testing
