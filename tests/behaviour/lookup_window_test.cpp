// The lookup window as created and started: its definition, the order of its creation events,
// its keyboard rules and the loading or seeding of the vocabulary.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "lookup_window/lookup_window.h"
#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/file_io.h"

namespace xiulan::testing {
namespace {

using namespace lookup;
using toolkit::ControlKind;
using toolkit::WindowDefinition;
using toolkit::sim::SimWindow;

constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;

using LookupWindowTest = DesktopTest;

TEST_F(LookupWindowTest, WindowAsDefined) {
  SimWindow& window = start();
  EXPECT_EQ(window.definition().caption, Text("澄屿计算机英语查询工具"));
  EXPECT_EQ(window.width(), 319);
  EXPECT_EQ(window.height(), 439);
  EXPECT_EQ(window.left(), 800);  // (1920 - 319) / 2, rounded toward zero
  EXPECT_EQ(window.top(), 320);   // (1080 - 439) / 2
  EXPECT_EQ(window.clientWidth(), 312);
  EXPECT_EQ(window.clientHeight(), 392);
  EXPECT_EQ(window.visible(), 1);
  EXPECT_EQ(window.windowState(), 0);
  EXPECT_TRUE(window.definition().minimizeButton);
  EXPECT_FALSE(window.definition().maximizeButton);
  EXPECT_EQ(window.definition().border, toolkit::Border::FixedSingle);
  EXPECT_FALSE(window.definition().escCloses);
  EXPECT_TRUE(window.definition().taskbarButton);

  struct MenuRow {
    const char* text;
    int level;
    bool separator;
    bool checkable;
  };
  const MenuRow menu[] = {
      {"菜单", 0, false, false},     {"单词修改", 1, false, false}, {"", 1, true, false},
      {"窗口最前", 1, false, true},  {"网站", 0, false, false},     {"腾讯微博", 1, false, false},
      {"作者淘宝", 1, false, false}, {"帮助", 0, false, false},     {"关于", 1, false, false},
      {"", 1, true, false},          {"退出", 1, false, false},
  };
  ASSERT_EQ(window.definition().menu.size(), std::size(menu));
  for (std::size_t i = 0; i < std::size(menu); ++i) {
    const auto& item = window.definition().menu[i];
    EXPECT_EQ(Text(item.text), Text(menu[i].text)) << i;
    EXPECT_EQ(item.level, menu[i].level) << i;
    EXPECT_EQ(item.separator, menu[i].separator) << i;
    EXPECT_EQ(item.checkable, menu[i].checkable) << i;
    EXPECT_EQ(item.shortcut, nullptr) << i;
  }
}

TEST_F(LookupWindowTest, ControlsAsDefined) {
  SimWindow& window = start();
  struct Row {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    bool shown, tabStop;
  };
  // In definition order, which is also the stacking order.
  const Row rows[] = {
      {时钟2, ControlKind::Timer, 0, 0, 0, 0, false, false},
      {标签1, ControlKind::Label, 168, 72, 32, 24, false, false},
      {按钮2, ControlKind::Button, 0, 279, 312, 32, true, true},
      {气球提示框1, ControlKind::BalloonTip, 0, 0, 0, 0, false, false},
      {时钟1, ControlKind::Timer, 0, 0, 0, 0, false, false},
      {编辑框_输出框, ControlKind::Edit, 0, 311, 312, 81, true, true},
      {组合框_搜索内容, ControlKind::ComboBox, 0, 0, 312, 20, true, true},
      {按钮1, ControlKind::Button, 0, 248, 312, 32, true, true},
      {编辑框_词汇, ControlKind::Edit, 0, 24, 312, 224, true, true},
  };
  const auto& controls = window.definition().controls;
  ASSERT_EQ(controls.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& c = controls[i];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(std::string(c.name), rows[i].name);
    EXPECT_EQ(c.kind, rows[i].kind);
    EXPECT_EQ(c.left, rows[i].left);
    EXPECT_EQ(c.top, rows[i].top);
    EXPECT_EQ(c.width, rows[i].width);
    EXPECT_EQ(c.height, rows[i].height);
    EXPECT_EQ(c.shown, rows[i].shown);
    EXPECT_EQ(c.tabStop, rows[i].tabStop);
  }

  const auto& output = window.control(编辑框_输出框).definition;
  EXPECT_TRUE(output->multiline && output->wantReturn && output->verticalScroll && output->wrap);
  EXPECT_FALSE(output->readOnly || output->horizontalScroll);
  const auto& vocabulary = window.control(编辑框_词汇).definition;
  EXPECT_TRUE(vocabulary->multiline && vocabulary->readOnly && vocabulary->verticalScroll &&
              vocabulary->horizontalScroll);
  EXPECT_FALSE(vocabulary->wrap || vocabulary->wantReturn);
  EXPECT_TRUE(window.control(按钮1).definition->defaultButton);
  EXPECT_FALSE(window.control(按钮2).definition->defaultButton);
  EXPECT_EQ(window.control(组合框_搜索内容).definition->dropDownHeight, 160);
  EXPECT_EQ(window.control(气球提示框1).definition->balloonDisplayMs, 5000);

  // Texts as the window starts, before anything is typed.
  EXPECT_EQ(window.text(按钮1), Text("开始寻找(回车)"));
  EXPECT_EQ(window.text(按钮2), Text("最小化窗口并启用剪辑板查单词"));
  EXPECT_EQ(window.text(组合框_搜索内容), Text());
  EXPECT_TRUE(window.listItems(组合框_搜索内容).empty());
  EXPECT_EQ(window.timerPeriod(时钟1), 0);
  EXPECT_EQ(window.timerPeriod(时钟2), 0);
  const std::vector<Text> welcome = splitText(window.text(编辑框_输出框), "\r\n");
  ASSERT_EQ(welcome.size(), 4u);
  EXPECT_EQ(welcome[0], Text("欢迎使用岫澜查询工具,HOME键呼入呼出!"));
  EXPECT_EQ(welcome[1], Text());
  EXPECT_EQ(welcome[2], Text("提示:如果你需添加某个单词,请在软件目录下的文本文件中加入"));
  EXPECT_NE(findText(welcome[3], "岫澜"), -1);
  EXPECT_NE(window.text(编辑框_输出框).bytes().back(), '\n');
}

// Records the order of the creation events of a window.
std::vector<std::string> gEvents;
void recordCreated(toolkit::Window&) {
  gEvents.push_back("created");
}
void recordPosition(toolkit::Window&) {
  gEvents.push_back("position-changed");
}
void recordSize(toolkit::Window&) {
  gEvents.push_back("size-changed");
}
void destroyWhenCreated(toolkit::Window& window) {
  gEvents.push_back("created");
  window.destroy();
}

TEST_F(LookupWindowTest, CreationEventsInOrder) {
  WindowDefinition definition = lookupWindowDefinition();
  definition.onCreated = &recordCreated;
  definition.onPositionChanged = &recordPosition;
  definition.onSizeChanged = &recordSize;
  gEvents.clear();
  SimWindow& window = start(definition);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"created", "position-changed", "size-changed"}));
  EXPECT_EQ(window.visible(), 0);  // only the created handler shows the window

  // A window destroyed by its created handler raises nothing further.
  definition.onCreated = &destroyWhenCreated;
  gEvents.clear();
  SimWindow& gone = start(definition);
  EXPECT_FALSE(gone.exists());
  EXPECT_EQ(gEvents, std::vector<std::string>{"created"});
}

TEST_F(LookupWindowTest, StartsShownWithFocusInQueryBoxAndHomeRegistered) {
  SimWindow& window = start();
  EXPECT_EQ(window.visible(), 1);
  EXPECT_TRUE(window.isActive());
  EXPECT_EQ(window.focusedControl(), 组合框_搜索内容);
  EXPECT_TRUE(desktop.hotkeyRegisteredTo(window, 标签1, 0, toolkit::kVirtualKeyHome));
}

TEST_F(LookupWindowTest, StartsWhenAnotherProgramHoldsHome) {
  desktop.holdHotkeyInOtherProgram(0, toolkit::kVirtualKeyHome);
  SimWindow& window = start();
  EXPECT_FALSE(desktop.hotkeyRegisteredTo(window, 标签1, 0, toolkit::kVirtualKeyHome));
  EXPECT_EQ(window.visible(), 1);
  EXPECT_EQ(window.focusedControl(), 组合框_搜索内容);
  EXPECT_EQ(window.text(编辑框_词汇).bytes(), kBuiltInVocabulary);
}

// Button clicks recorded instead of the lookups they start, to see what Enter clicks.
std::vector<std::string> gClicks;
void recordButton1(toolkit::Window&) {
  gClicks.push_back(按钮1);
}
void recordButton2(toolkit::Window&) {
  gClicks.push_back(按钮2);
}

TEST_F(LookupWindowTest, EnterClicksTheDefaultButtonUnlessTheOutputBoxTakesIt) {
  WindowDefinition definition = lookupWindowDefinition();
  for (auto& control : definition.controls) {
    if (control.name == std::string(按钮1))
      control.onEvent = &recordButton1;
    if (control.name == std::string(按钮2))
      control.onEvent = &recordButton2;
  }
  SimWindow& window = start(definition);
  struct Case {
    const char* focus;
    std::vector<std::string> clicks;
    bool lineBreakInOutput;
  };
  const Case cases[] = {
      {组合框_搜索内容, {按钮1}, false}, {编辑框_词汇, {按钮1}, false}, {按钮1, {按钮1}, false},
      {按钮2, {按钮1}, false},           {编辑框_输出框, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.focus);
    window.setFocus(c.focus);
    const Text outputBefore = window.text(编辑框_输出框);
    gClicks.clear();
    desktop.pressKey(kReturn);
    EXPECT_EQ(gClicks, c.clicks);
    EXPECT_EQ(window.text(编辑框_输出框),
              c.lineBreakInOutput ? concatText(outputBefore, "\r\n") : outputBefore);
  }
}

TEST_F(LookupWindowTest, TabAndShiftTabCycles) {
  SimWindow& window = start();
  const std::vector<std::string> forward = {编辑框_词汇, 按钮1, 组合框_搜索内容, 编辑框_输出框,
                                            按钮2};
  window.setFocus(编辑框_词汇);
  for (std::size_t i = 1; i <= forward.size(); ++i) {
    desktop.pressKey(kTab);
    EXPECT_EQ(window.focusedControl(), forward[i % forward.size()]) << i;
  }
  for (std::size_t i = 1; i <= forward.size(); ++i) {
    desktop.pressKey(kTab, /*shift=*/true);
    EXPECT_EQ(window.focusedControl(), forward[(forward.size() * 2 - i) % forward.size()]) << i;
  }
}

TEST_F(LookupWindowTest, EscNeitherClosesNorHides) {
  SimWindow& window = start();
  for (const char* focus : {组合框_搜索内容, 编辑框_词汇, 编辑框_输出框, 按钮1, 按钮2}) {
    window.setFocus(focus);
    desktop.pressKey(kEscape);
  }
  EXPECT_TRUE(window.exists());
  EXPECT_EQ(window.visible(), 1);
}

TEST_F(LookupWindowTest, TypingReachesOnlyEditableControls) {
  SimWindow& window = start();
  desktop.typeText("file");
  EXPECT_EQ(window.text(组合框_搜索内容), Text("file"));
  window.setFocus(编辑框_词汇);
  desktop.typeText("x");
  EXPECT_EQ(window.text(编辑框_词汇).bytes(), kBuiltInVocabulary);
  window.setFocus(编辑框_输出框);
  desktop.typeText("x");
  EXPECT_EQ(window.text(编辑框_输出框), concatText(kWelcomeText, "x"));
}

TEST_F(LookupWindowTest, FirstStartSeedsTheFileWithTheBuiltInList) {
  SimWindow& window = start();
  EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), std::string(kBuiltInVocabulary));
  EXPECT_EQ(window.text(编辑框_词汇).bytes(), kBuiltInVocabulary);
}

TEST_F(LookupWindowTest, ExistingFileIsLoadedAndNotSeededAgain) {
  struct Case {
    const char* what;
    std::string onDisk;
  };
  const Case cases[] = {
      {"an edited list", "001、file　n.文件\r\n002、mine　n.我的词"},
      {"an empty file", ""},
      {"bytes that are not GBK", "\x80\xFF\r\n\x81"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramDirectory::putVocabulary(c.onDisk);
    toolkit::sim::SimDesktop fresh;
    auto& window = *static_cast<SimWindow*>(fresh.createWindow(lookupWindowDefinition()));
    EXPECT_EQ(window.text(编辑框_词汇).bytes(), c.onDisk);
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), c.onDisk);
  }
}

long failingWrite(int, const void*, unsigned long) {
  errno = ENOSPC;
  return -1;
}

TEST_F(LookupWindowTest, UnwritableFileLeavesTheBuiltInListInPlace) {
  fileio::testing::setWriteCall(&failingWrite);
  SimWindow& window = start();
  fileio::testing::setWriteCall(nullptr);
  EXPECT_EQ(window.text(编辑框_词汇).bytes(), kBuiltInVocabulary);
  EXPECT_FALSE(fs::exists(kVocabularyOnDisk));
  EXPECT_EQ(window.visible(), 1);
}

TEST_F(LookupWindowTest, ClosingTheWindowEndsTheProgramWithZero) {
  SimWindow& window = start();
  desktop.clickCloseButton(window);
  EXPECT_FALSE(window.exists());
  EXPECT_EQ(desktop.runEventLoop(), 0);
}

}  // namespace
}  // namespace xiulan::testing
