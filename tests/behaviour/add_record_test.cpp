// The add-record window: opened from the word editor with 加入单条记录 or Ctrl+J, owned by it,
// and appending one entry and a line break to the very end of the editor's text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "editor/editor.h"
#include "lookup_window/lookup_window.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan::testing {
namespace {

using toolkit::Border;
using toolkit::ControlKind;
using toolkit::Frame;
using toolkit::sim::SimDesktop;
using toolkit::sim::SimWindow;

constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;

const char kEditorBox[] = "编辑框_词汇";
const char kEntryBox[] = "编辑框1";
const char kAddButton[] = "按钮1";

class AddRecordTest : public DesktopTest {
 protected:
  // Starts the program with the built-in list and opens the word editor; `user` is what the
  // user does in it. Unless `user` closes the editor, it is closed with Esc afterwards,
  // answering No if asked.
  void inEditor(std::function<void(SimWindow& editor)> user) {
    SimWindow& lookup = start();
    desktop.onNextModalWindow([&](SimWindow& editor) {
      user(editor);
      if (editor.exists()) {
        desktop.answerNextQuestion(false);
        desktop.clickControl(editor, kEditorBox);
        desktop.pressKey(kEscape);
      }
    });
    desktop.chooseMenuItem(lookup, "单词修改");
  }
  SimWindow* addWindow() const { return desktop.findWindow("加入记录"); }
  int addWindows() const {
    int count = 0;
    for (const SimWindow* window : desktop.liveWindows()) {
      count += window->definition().caption == Text("加入记录") ? 1 : 0;
    }
    return count;
  }
};

TEST_F(AddRecordTest, WindowAsDefined) {
  const toolkit::WindowDefinition& definition = editor::addRecordDefinition();
  EXPECT_EQ(definition.caption, Text("加入记录"));
  EXPECT_EQ(definition.width, 395);
  EXPECT_EQ(definition.height, 65);
  EXPECT_EQ(definition.border, Border::FixedSingle);
  EXPECT_FALSE(definition.minimizeButton || definition.maximizeButton || definition.taskbarButton);
  EXPECT_TRUE(definition.escCloses);
  EXPECT_TRUE(definition.menu.empty());

  ASSERT_EQ(definition.controls.size(), 2u);
  const toolkit::ControlDefinition& button = definition.controls[0];
  EXPECT_EQ(std::string(button.name), kAddButton);
  EXPECT_EQ(button.kind, ControlKind::Button);
  EXPECT_EQ((std::vector<int>{button.left, button.top, button.width, button.height}),
            (std::vector<int>{320, 7, 64, 25}));
  EXPECT_EQ(button.text, Text("加入"));
  EXPECT_TRUE(button.defaultButton && button.tabStop);

  const toolkit::ControlDefinition& box = definition.controls[1];
  EXPECT_EQ(std::string(box.name), kEntryBox);
  EXPECT_EQ(box.kind, ControlKind::Edit);
  EXPECT_EQ((std::vector<int>{box.left, box.top, box.width, box.height}),
            (std::vector<int>{8, 8, 296, 24}));
  EXPECT_TRUE(box.multiline && box.wantReturn && box.wrap && box.tabStop);
  EXPECT_FALSE(box.readOnly || box.verticalScroll || box.horizontalScroll);
  EXPECT_EQ(box.frame, Frame::Thin);
  EXPECT_EQ(box.fontHeight, 16);
  EXPECT_EQ(box.text, Text());
}

TEST_F(AddRecordTest, OpensOwnedByTheEditorFromTheMenuOrCtrlJ) {
  for (const bool byKey : {false, true}) {
    SCOPED_TRACE(byKey ? "Ctrl+J" : "加入单条记录");
    inEditor([&](SimWindow& editor) {
      if (byKey) {
        desktop.pressKeyWithCtrl('J');
      } else {
        desktop.chooseMenuItem(editor, "加入单条记录");
      }
      SimWindow* add = addWindow();
      ASSERT_NE(add, nullptr);
      EXPECT_EQ(add->owningWindow(), &editor);
      EXPECT_EQ(add->owner(), &editor);
      EXPECT_EQ(add->visible(), 1);
      EXPECT_TRUE(add->isActive());
      EXPECT_EQ(add->focusedControl(), kEntryBox);
      EXPECT_EQ(add->left(), 762);  // (1920 - 395) / 2
      EXPECT_EQ(add->top(), 507);   // (1080 - 65) / 2
      // Modeless: the editor goes on taking input.
      EXPECT_TRUE(editor.enabled());
      desktop.clickControl(editor, kEditorBox);
      desktop.typeText("x");
      EXPECT_EQ(editor.text(kEditorBox), concatText(kBuiltInVocabulary, "x"));
      desktop.answerNextQuestion(false);
      desktop.pressKey(kEscape);  // closes the editor, and the add window with it
    });
    EXPECT_EQ(addWindow(), nullptr);
  }
}

TEST_F(AddRecordTest, CtrlJAgainBringsTheOpenOneBackWithItsText) {
  inEditor([&](SimWindow& editor) {
    desktop.pressKeyWithCtrl('J');
    desktop.typeText("778、again");
    desktop.clickControl(editor, kEditorBox);
    ASSERT_TRUE(editor.isActive());
    desktop.pressKeyWithCtrl('J');
    EXPECT_EQ(addWindows(), 1);
    ASSERT_NE(addWindow(), nullptr);
    EXPECT_TRUE(addWindow()->isActive());
    EXPECT_EQ(addWindow()->text(kEntryBox), Text("778、again"));
    // Ctrl+J in the add window itself is no shortcut there.
    desktop.pressKeyWithCtrl('J');
    EXPECT_EQ(addWindows(), 1);
  });
}

TEST_F(AddRecordTest, EntriesGoToTheVeryEndOfTheEditorsText) {
  using Typing = std::function<void(SimDesktop&)>;
  const auto typed = [](const char* text) { return [=](SimDesktop& on) { on.typeText(text); }; };
  struct Case {
    const char* what;
    std::vector<Typing> entries;  // one add window each, closed with 加入
    Text appended;
    std::vector<Text> lastLines{};  // of the lookup window's list once saved
  };
  const Case cases[] = {
      // The built-in list ends without a line break: the first entry joins its last line.
      {"one entry",
       {typed("778、new　n.新")},
       "778、new　n.新\r\n",
       {"776、applied　a.应用的，实用的，外加的", "777、sum　n.和，合计，总额778、new　n.新"}},
      // The second entry begins a line of its own.
      {"two entries",
       {typed("778、new　n.新"), typed("779、old　a.旧的")},
       "778、new　n.新\r\n779、old　a.旧的\r\n",
       {"777、sum　n.和，合计，总额778、new　n.新", "779、old　a.旧的"}},
      {"spaces only", {typed("   ")}, "   \r\n"},
      {"a line break only", {[](SimDesktop& on) { on.pressKey(kReturn); }}, "\r\n\r\n"},
      {"several lines typed with Enter",
       {[](SimDesktop& on) {
         on.typeText("778、a");
         on.pressKey(kReturn);
         on.typeText("779、b");
       }},
       "778、a\r\n779、b\r\n"},
      {"a duplicate of a line",
       {typed("002、command　n.命令，指令")},
       "002、command　n.命令，指令\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramDirectory::putVocabulary(std::string(kBuiltInVocabulary));
    SimDesktop desk;
    auto& lookup = *static_cast<SimWindow*>(desk.createWindow(lookup::lookupWindowDefinition()));
    desk.onNextModalWindow([&](SimWindow& editor) {
      for (const Typing& entry : c.entries) {
        desk.chooseMenuItem(editor, "加入单条记录");
        SimWindow* add = desk.findWindow("加入记录");
        ASSERT_NE(add, nullptr);
        entry(desk);
        desk.clickButton(*add, kAddButton);
        EXPECT_FALSE(add->exists());
        EXPECT_TRUE(editor.isActive());
      }
      EXPECT_EQ(editor.text(kEditorBox), concatText(kBuiltInVocabulary, c.appended));
      desk.answerNextQuestion(true);
      desk.pressKey(kEscape);
    });
    desk.chooseMenuItem(lookup, "单词修改");
    // Only the editor's save puts the entries into the file: closing asked, and Yes saved.
    EXPECT_EQ(desk.questions().size(), 1u);
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(),
              concatText(kBuiltInVocabulary, c.appended).bytes());
    if (!c.lastLines.empty()) {
      const std::vector<Text> lines = splitText(lookup.text(lookup::编辑框_词汇), "\r\n");
      ASSERT_GE(lines.size(), c.lastLines.size());
      EXPECT_EQ(std::vector<Text>(lines.end() - static_cast<long>(c.lastLines.size()), lines.end()),
                c.lastLines);
    }
  }
}

TEST_F(AddRecordTest, AnEmptyBoxAddsNothingAndTheWindowStays) {
  inEditor([&](SimWindow& editor) {
    desktop.pressKeyWithCtrl('J');
    SimWindow& add = *addWindow();
    desktop.clickButton(add, kAddButton);
    EXPECT_TRUE(add.exists());
    EXPECT_EQ(editor.text(kEditorBox).bytes(), kBuiltInVocabulary);
  });
  EXPECT_TRUE(desktop.questions().empty());
}

TEST_F(AddRecordTest, KeyboardInTheAddWindow) {
  inEditor([&](SimWindow& editor) {
    // Enter in the box is a line break; Tab goes to 加入, where Enter clicks it.
    desktop.pressKeyWithCtrl('J');
    desktop.typeText("a");
    desktop.pressKey(kReturn);
    EXPECT_TRUE(addWindow() != nullptr);
    EXPECT_EQ(addWindow()->text(kEntryBox), Text("a\r\n"));
    desktop.pressKey(kTab);
    EXPECT_EQ(addWindow()->focusedControl(), kAddButton);
    desktop.pressKey(kTab);
    EXPECT_EQ(addWindow()->focusedControl(), kEntryBox);
    desktop.pressKey(kTab);
    desktop.pressKey(kReturn);
    EXPECT_EQ(addWindow(), nullptr);
    EXPECT_EQ(editor.text(kEditorBox), concatText(kBuiltInVocabulary, "a\r\n\r\n"));

    // Esc closes it without adding, and leaves the editor open.
    desktop.pressKeyWithCtrl('J');
    desktop.typeText("b");
    desktop.pressKey(kEscape);
    EXPECT_EQ(addWindow(), nullptr);
    EXPECT_TRUE(editor.exists());
    EXPECT_EQ(editor.text(kEditorBox), concatText(kBuiltInVocabulary, "a\r\n\r\n"));
  });
}

TEST_F(AddRecordTest, GoesWithTheEditor) {
  inEditor([&](SimWindow& editor) {
    desktop.pressKeyWithCtrl('J');
    desktop.typeText("778、lost");
    SimWindow& add = *addWindow();
    // Hidden while the editor is minimised, back when it is restored.
    desktop.clickMinimiseButton(editor);
    EXPECT_EQ(add.visible(), 0);
    desktop.clickRestoreButton(editor);
    EXPECT_EQ(add.visible(), 1);
    // Closing the editor destroys it without adding its text: nothing changed, nothing asked.
    desktop.chooseMenuItem(editor, "退出");
    EXPECT_FALSE(add.exists());
  });
  EXPECT_TRUE(desktop.questions().empty());
  EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), std::string(kBuiltInVocabulary));
}

}  // namespace
}  // namespace xiulan::testing
