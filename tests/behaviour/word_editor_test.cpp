// The word editor: opened modally from 单词修改, it edits the vocabulary file as plain text,
// asks on closing when its text differs from the file, and hands the file back to the lookup
// window's list.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "editor/editor.h"
#include "lookup_window/lookup_window.h"
#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/file_io.h"

namespace xiulan::toolkit::sim {

// Failures show a message box as its title and text.
inline void PrintTo(const SimMessageBox& box, std::ostream* out) {
  *out << ::testing::PrintToString(std::string(box.title.bytes())) << ": "
       << ::testing::PrintToString(std::string(box.text.bytes()));
}

}  // namespace xiulan::toolkit::sim

namespace xiulan::testing {
namespace {

using toolkit::Border;
using toolkit::ControlKind;
using toolkit::Frame;
using toolkit::kStateNormal;
using toolkit::sim::SimBalloon;
using toolkit::sim::SimDesktop;
using toolkit::sim::SimMessageBox;
using toolkit::sim::SimWindow;

constexpr int kReturn = 0x0D;
constexpr int kEscape = 0x1B;
constexpr int kBack = 0x08;

const char kEditorBox[] = "编辑框_词汇";
const char kList[] = "编辑框_词汇";
const char kEdited[] = "001、file　n.文件\r\n002、mine　n.我的词";

const SimMessageBox kQuestion{"是否保存?", "保存"};

class WordEditorTest : public DesktopTest {
 protected:
  // Chooses 单词修改 in the lookup window; `user` is what the user does while the editor is up,
  // and must close it.
  void inEditor(SimWindow& lookup, std::function<void(SimWindow& editor)> user) {
    desktop.onNextModalWindow(std::move(user));
    desktop.chooseMenuItem(lookup, "单词修改");
  }
};

// The ways the user closes the editor.
enum class Close { Esc, CloseButton, MenuExit };
void close(SimDesktop& on, SimWindow& editor, Close how) {
  switch (how) {
    case Close::Esc:
      on.pressKey(kEscape);
      break;
    case Close::CloseButton:
      on.clickCloseButton(editor);
      break;
    case Close::MenuExit:
      on.chooseMenuItem(editor, "退出");
      break;
  }
}

TEST_F(WordEditorTest, WindowAsDefined) {
  const toolkit::WindowDefinition& definition = editor::wordEditorDefinition();
  EXPECT_EQ(definition.caption, Text("单词修改 - 注意:请用换行符分割"));
  EXPECT_EQ(definition.width, 457);
  EXPECT_EQ(definition.height, 375);
  EXPECT_EQ(definition.border, Border::Resizable);
  EXPECT_TRUE(definition.minimizeButton && definition.maximizeButton && definition.escCloses);
  EXPECT_FALSE(definition.taskbarButton);

  struct MenuRow {
    const char* text;
    int level;
    bool separator;
    const char* shortcut;
  };
  const MenuRow menu[] = {
      {"菜单", 0, false, nullptr}, {"加入单条记录", 1, false, "Ctrl+J"},
      {"保存", 1, false, nullptr}, {"", 1, true, nullptr},
      {"退出", 1, false, nullptr},
  };
  ASSERT_EQ(definition.menu.size(), std::size(menu));
  for (std::size_t i = 0; i < std::size(menu); ++i) {
    const auto& item = definition.menu[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(Text(item.text), Text(menu[i].text));
    EXPECT_EQ(item.level, menu[i].level);
    EXPECT_EQ(item.separator, menu[i].separator);
    EXPECT_EQ(Text(item.shortcut), Text(menu[i].shortcut));
    EXPECT_FALSE(item.checkable);
  }

  ASSERT_EQ(definition.controls.size(), 1u);
  const toolkit::ControlDefinition& box = definition.controls[0];
  EXPECT_EQ(std::string(box.name), kEditorBox);
  EXPECT_EQ(box.kind, ControlKind::Edit);
  EXPECT_EQ((std::vector<int>{box.left, box.top, box.width, box.height}),
            (std::vector<int>{16, 16, 224, 200}));
  EXPECT_TRUE(box.multiline && box.wantReturn && box.verticalScroll && box.horizontalScroll &&
              box.tabStop && box.shown);
  EXPECT_FALSE(box.readOnly || box.wrap);
  EXPECT_EQ(box.frame, Frame::Sunken);
  EXPECT_EQ(box.fontHeight, 20);
  EXPECT_EQ(box.text, Text());
}

TEST_F(WordEditorTest, OpensModallyWithTheFileAndGivesTheLookupWindowBackAfter) {
  ProgramDirectory::putVocabulary(kEdited);
  SimWindow& lookup = start();
  bool opened = false;
  inEditor(lookup, [&](SimWindow& editor) {
    opened = true;
    EXPECT_EQ(editor.visible(), 1);
    EXPECT_TRUE(editor.isActive());
    EXPECT_EQ(editor.left(), 731);  // (1920 - 457) / 2
    EXPECT_EQ(editor.top(), 352);   // (1080 - 375) / 2
    EXPECT_EQ(editor.focusedControl(), kEditorBox);
    EXPECT_EQ(editor.text(kEditorBox), Text(kEdited));
    EXPECT_EQ(editor.owner(), &lookup);
    // The box fills the client area from the first showing on.
    const toolkit::sim::SimControl& box = editor.control(kEditorBox);
    EXPECT_EQ((std::vector<int>{box.left, box.top, box.width, box.height}),
              (std::vector<int>{0, 0, editor.clientWidth(), editor.clientHeight()}));

    // The lookup window takes no input: no menu, no button, no keys.
    EXPECT_FALSE(lookup.enabled());
    desktop.chooseMenuItem(lookup, "单词修改");  // no second editor (none is scripted)
    desktop.clickButton(lookup, lookup::按钮1);
    EXPECT_EQ(lookup.text(lookup::编辑框_输出框), Text(lookup::kWelcomeText));
    desktop.clickControl(lookup, lookup::组合框_搜索内容);
    desktop.typeText("file");
    EXPECT_EQ(lookup.text(lookup::组合框_搜索内容), Text());
    EXPECT_EQ(editor.text(kEditorBox), Text(concatText(kEdited, "file")));

    desktop.answerNextQuestion(false);
    desktop.pressKey(kEscape);
    EXPECT_FALSE(editor.exists());
  });
  ASSERT_TRUE(opened);
  EXPECT_TRUE(lookup.enabled());
  EXPECT_TRUE(lookup.isActive());
  EXPECT_EQ(desktop.questions().size(), 1u);   // the typed "file" was a change
  desktop.clickButton(lookup, lookup::按钮1);  // and it works again
  EXPECT_EQ(lookup.text(lookup::编辑框_输出框), Text("请先输入你要查找的内容"));
}

TEST_F(WordEditorTest, ClosingWithoutAChangeAsksNothingAndReloadsTheList) {
  SimWindow& lookup = start();
  // Changed from outside after start-up: the editor shows it, and the list picks it up.
  ProgramDirectory::putVocabulary(kEdited);
  for (const Close how : {Close::Esc, Close::CloseButton, Close::MenuExit}) {
    inEditor(lookup, [&](SimWindow& editor) {
      EXPECT_EQ(editor.text(kEditorBox), Text(kEdited));
      close(desktop, editor, how);
    });
    EXPECT_TRUE(desktop.questions().empty());
    EXPECT_EQ(lookup.text(kList), Text(kEdited));
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), kEdited);
  }
}

TEST_F(WordEditorTest, ClosingAfterAChangeAsksOnceAndOnlyYesSaves) {
  struct Case {
    Close how;
    bool yes;
  };
  const Case cases[] = {
      {Close::Esc, false},        {Close::Esc, true},       {Close::CloseButton, false},
      {Close::CloseButton, true}, {Close::MenuExit, false}, {Close::MenuExit, true},
  };
  const Text changed = concatText(kEdited, "\r\n003、new　n.新词");
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "close " << static_cast<int>(c.how) << ", yes " << c.yes);
    ProgramDirectory::putVocabulary(kEdited);
    toolkit::sim::SimDesktop desk;
    auto& lookup = *static_cast<SimWindow*>(desk.createWindow(lookup::lookupWindowDefinition()));
    desk.onNextModalWindow([&](SimWindow& editor) {
      desk.pressKey(kReturn);
      desk.typeText("003、new　n.新词");
      ASSERT_EQ(editor.text(kEditorBox), changed);
      desk.answerNextQuestion(c.yes);
      close(desk, editor, c.how);
    });
    desk.chooseMenuItem(lookup, "单词修改");
    EXPECT_EQ(desk.questions(), std::vector<SimMessageBox>{kQuestion});
    const Text kept = c.yes ? changed : Text(kEdited);
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), kept.bytes());
    EXPECT_EQ(lookup.text(kList), kept);
    EXPECT_TRUE(desk.errorMessages().empty());
  }
}

TEST_F(WordEditorTest, SavedChangesCloseWithoutAQuestion) {
  SimWindow& lookup = start();
  const Text changed = concatText(kBuiltInVocabulary, "\r\n778、zzzword　n.新词");
  inEditor(lookup, [&](SimWindow& editor) {
    desktop.pressKey(kReturn);
    desktop.typeText("778、zzzword　n.新词");
    desktop.chooseMenuItem(editor, "保存");
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), changed.bytes());
    EXPECT_TRUE(editor.exists());
    // The list keeps its text until the editor closes.
    EXPECT_EQ(lookup.text(kList).bytes(), kBuiltInVocabulary);
    desktop.chooseMenuItem(editor, "退出");
  });
  EXPECT_TRUE(desktop.questions().empty());
  EXPECT_TRUE(desktop.errorMessages().empty());
  EXPECT_EQ(lookup.text(kList), changed);
  // Typed lookup sees the new line from now on.
  desktop.typeText("zzzword");
  desktop.pressKey(kReturn);
  EXPECT_EQ(findText(lookup.text(lookup::编辑框_输出框), "778、zzzword　n.新词\r\n"), 1);
}

TEST_F(WordEditorTest, ChangesUndoneToTheFilesBytesAskNothing) {
  SimWindow& lookup = start();
  inEditor(lookup, [&](SimWindow& editor) {
    desktop.typeText("x新");  // a letter and a two-byte character
    desktop.pressKey(kReturn);
    EXPECT_EQ(editor.text(kEditorBox), concatText(kBuiltInVocabulary, "x新\r\n"));
    for (int i = 0; i < 3; ++i)
      desktop.pressKey(kBack);
    EXPECT_EQ(editor.text(kEditorBox).bytes(), kBuiltInVocabulary);
    desktop.pressKey(kEscape);
  });
  EXPECT_TRUE(desktop.questions().empty());
}

TEST_F(WordEditorTest, LookupsWhileTheEditorIsOpenSeeTheOldListAndTheClipboardTicksGoOn) {
  SimWindow& lookup = start();
  // Clipboard lookup on, then the window brought back with Home and its task-bar button:
  // the timer keeps running while the editor is open.
  desktop.clickButton(lookup, lookup::按钮2);
  desktop.pressKey(toolkit::kVirtualKeyHome);
  desktop.clickTaskbarButton(lookup);
  ASSERT_EQ(lookup.windowState(), kStateNormal);
  ASSERT_EQ(lookup.timerPeriod(lookup::时钟1), 500);
  const SimBalloon& balloon = lookup.control(lookup::气球提示框1).balloon;

  inEditor(lookup, [&](SimWindow& editor) {
    desktop.pressKey(kReturn);
    desktop.typeText("778、zzzword　n.新词");
    desktop.chooseMenuItem(editor, "保存");
    desktop.copyInOtherProgram("zzzword");
    desktop.advanceTime(500);
    EXPECT_EQ(balloon.showings, 0);  // saved, but the list is the old one
    EXPECT_EQ(desktop.pasteInOtherProgram(), Text("zzzword"));
    desktop.copyInOtherProgram("command");
    desktop.advanceTime(500);
    EXPECT_EQ(balloon.showings, 1);
    EXPECT_EQ(balloon.text, builtInLines({2}));
    desktop.chooseMenuItem(editor, "退出");
  });
  desktop.copyInOtherProgram("zzzword");
  desktop.advanceTime(500);
  EXPECT_EQ(balloon.showings, 2);
  EXPECT_EQ(balloon.text, Text("778、zzzword　n.新词\r\n"));
}

TEST_F(WordEditorTest, TheBoxFillsTheClientAreaThroughEveryChangeOfSize) {
  SimWindow& lookup = start();
  using Step = std::function<void(SimWindow&)>;
  struct Case {
    const char* what;
    Step step;
    int width, height;  // of the box afterwards
  };
  const Case cases[] = {
      {"maximised", [&](SimWindow& e) { desktop.clickMaximiseButton(e); }, 1920 - 16,
       1080 - 39 - 20},
      {"restored", [&](SimWindow& e) { desktop.clickRestoreButton(e); }, 457 - 16, 375 - 39 - 20},
      {"minimised", [&](SimWindow& e) { desktop.clickMinimiseButton(e); }, 0, 0},
      {"restored from minimised", [&](SimWindow& e) { desktop.clickRestoreButton(e); }, 441, 316},
      {"dragged larger", [&](SimWindow& e) { desktop.dragFrame(e, 700, 500); }, 684, 441},
      {"maximised from there", [&](SimWindow& e) { desktop.clickMaximiseButton(e); }, 1904, 1021},
      {"minimised while maximised", [&](SimWindow& e) { desktop.clickMinimiseButton(e); }, 0, 0},
      {"back to maximised", [&](SimWindow& e) { desktop.clickRestoreButton(e); }, 1904, 1021},
      {"back to its dragged size", [&](SimWindow& e) { desktop.clickRestoreButton(e); }, 684, 441},
  };
  inEditor(lookup, [&](SimWindow& editor) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      c.step(editor);
      const toolkit::sim::SimControl& box = editor.control(kEditorBox);
      EXPECT_EQ((std::vector<int>{box.left, box.top, box.width, box.height}),
                (std::vector<int>{0, 0, c.width, c.height}));
    }
    EXPECT_EQ(editor.windowState(), kStateNormal);
    desktop.pressKey(kEscape);
  });
}

TEST_F(WordEditorTest, MissingFileIsSeededFromTheListAndShown) {
  const std::string own = "001、file　n.文件\r\n002、own　n.自己的";
  ProgramDirectory::putVocabulary(own);
  SimWindow& lookup = start();
  std::filesystem::remove(kVocabularyOnDisk);
  inEditor(lookup, [&](SimWindow& editor) {
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), own);
    EXPECT_EQ(editor.text(kEditorBox).bytes(), own);
    desktop.pressKey(kEscape);
  });
  EXPECT_TRUE(desktop.questions().empty());
  EXPECT_EQ(lookup.text(kList).bytes(), own);
  EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), own);
}

long diskFullWrite(int, const void*, unsigned long) {
  errno = ENOSPC;
  return -1;
}

TEST_F(WordEditorTest, FailedSaveIsReportedAndTheEditorCarriesOn) {
  struct Case {
    const char* what;
    std::function<void()> spoil;  // once the editor is open
    std::function<void()> mend;
    int error;
  };
  const Case cases[] = {
      {"a read-only file", [] { ::chmod(kVocabularyOnDisk.c_str(), 0444); },
       [] { ::chmod(kVocabularyOnDisk.c_str(), 0644); }, EACCES},
      {"a directory of that name",
       [] {
         std::filesystem::remove(kVocabularyOnDisk);
         std::filesystem::create_directory(kVocabularyOnDisk);
       },
       [] { std::filesystem::remove(kVocabularyOnDisk); }, EISDIR},
      {"a full disk", [] { fileio::testing::setWriteCall(&diskFullWrite); },
       [] { fileio::testing::setWriteCall(nullptr); }, ENOSPC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramDirectory::putVocabulary(kEdited);
    toolkit::sim::SimDesktop desk;
    auto& lookup = *static_cast<SimWindow*>(desk.createWindow(lookup::lookupWindowDefinition()));
    const SimMessageBox failed{
        concatText("无法保存词表文件\"岫澜.txt\":\r\n", std::strerror(c.error)), "保存失败"};
    desk.onNextModalWindow([&](SimWindow& editor) {
      c.spoil();
      desk.typeText("x");
      desk.chooseMenuItem(editor, "保存");
      EXPECT_EQ(desk.errorMessages(), std::vector<SimMessageBox>{failed});
      EXPECT_TRUE(editor.exists());
      EXPECT_EQ(editor.text(kEditorBox), concatText(kEdited, "x"));
      // Still different from the file: closing asks again, and a Yes fails again.
      desk.answerNextQuestion(true);
      desk.pressKey(kEscape);
    });
    desk.chooseMenuItem(lookup, "单词修改");
    c.mend();
    EXPECT_EQ(desk.questions(), std::vector<SimMessageBox>{kQuestion});
    EXPECT_EQ(desk.errorMessages(), (std::vector<SimMessageBox>{failed, failed}));
    // The list is reloaded from what the file still holds; a directory reads as empty.
    const std::string kept = c.error == EISDIR ? "" : kEdited;
    EXPECT_EQ(lookup.text(kList).bytes(), kept);
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), kept);
  }
}

// The lookup window sent to the tray, then shown with Home and restored from its task-bar
// button: shown, with its tray icon still there, so 退出 can be chosen from the tray menu.
SimWindow& startShownWithItsTrayIcon(toolkit::sim::SimDesktop& desk) {
  desk.setProgramIcon(programIconFile());
  auto& lookup = *static_cast<SimWindow*>(desk.createWindow(lookup::lookupWindowDefinition()));
  desk.clickMinimiseButton(lookup);
  desk.pressKey(toolkit::kVirtualKeyHome);
  desk.clickTaskbarButton(lookup);
  return lookup;
}

TEST_F(WordEditorTest, ExitFromTheTrayMenuClosesTheEditorThroughItsOwnPath) {
  struct Case {
    const char* what;
    bool change;
    std::optional<bool> answer;  // nothing: no question
    std::string fileAfter;
  };
  const std::string changed = concatText(kEdited, "x").cString();
  const Case cases[] = {
      {"unchanged", false, std::nullopt, kEdited},
      {"changed, No", true, false, kEdited},
      {"changed, Yes", true, true, changed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramDirectory::putVocabulary(kEdited);
    toolkit::sim::SimDesktop desk;
    SimWindow& lookup = startShownWithItsTrayIcon(desk);
    ASSERT_EQ(desk.trayIcons().size(), 1u);
    desk.onNextModalWindow([&](SimWindow& editor) {
      if (c.change)
        desk.typeText("x");
      if (c.answer)
        desk.answerNextQuestion(*c.answer);
      desk.chooseInNextPopUp("退出");
      desk.rightClickTrayIcon(lookup);
      EXPECT_FALSE(editor.exists());
    });
    desk.chooseMenuItem(lookup, "单词修改");
    EXPECT_TRUE(desk.programEnded());
    EXPECT_EQ(desk.runEventLoop(), 0);
    EXPECT_EQ(desk.questions().size(), c.answer ? 1u : 0u);
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), c.fileAfter);
    EXPECT_TRUE(desk.trayIcons().empty());
  }
}

TEST_F(WordEditorTest, ExitWhileTheSaveQuestionIsUpWaitsForItsAnswer) {
  const std::string changed = concatText(kEdited, "x").cString();
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    ProgramDirectory::putVocabulary(kEdited);
    toolkit::sim::SimDesktop desk;
    SimWindow& lookup = startShownWithItsTrayIcon(desk);
    ASSERT_EQ(desk.trayIcons().size(), 1u);
    desk.onNextModalWindow([&](SimWindow& editor) {
      desk.typeText("x");
      // The user closes the editor; while "是否保存?" is up, 退出 is chosen from the tray.
      desk.whileNextQuestionIsUp([&] {
        desk.chooseInNextPopUp("退出");
        desk.rightClickTrayIcon(lookup);
        EXPECT_FALSE(desk.programEnded());
      });
      desk.answerNextQuestion(yes);
      desk.pressKey(0x1B);  // Esc closes the editor
      EXPECT_FALSE(editor.exists());
    });
    desk.chooseMenuItem(lookup, "单词修改");
    EXPECT_FALSE(desk.programEnded());
    EXPECT_EQ(desk.questions().size(), 1u);
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), yes ? changed : kEdited);
  }
}

TEST_F(WordEditorTest, FilesPassThroughUnchanged) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"bytes that are not GBK", "001\x81\x20\xFF、file\r\n\x80"},
      {"a UTF-8 byte-order mark",
       "\xEF\xBB\xBF"
       "001、file　n.文件\r\n002、help"},
      {"lone CR and LF", "001、file\r002、help\n003、list\r\r\n\n\r"},
      {"a very long line", "001、" + std::string(300000, 'w') + "\r\n002、help"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgramDirectory::putVocabulary(c.bytes);
    toolkit::sim::SimDesktop desk;
    auto& lookup = *static_cast<SimWindow*>(desk.createWindow(lookup::lookupWindowDefinition()));
    // Opened and closed, then opened, saved and closed: nothing asked, nothing changed.
    desk.onNextModalWindow([&](SimWindow& editor) {
      EXPECT_EQ(editor.text(kEditorBox).bytes(), c.bytes);
      desk.pressKey(kEscape);
    });
    desk.chooseMenuItem(lookup, "单词修改");
    desk.onNextModalWindow([&](SimWindow& editor) {
      desk.chooseMenuItem(editor, "保存");
      desk.chooseMenuItem(editor, "退出");
    });
    desk.chooseMenuItem(lookup, "单词修改");
    EXPECT_TRUE(desk.questions().empty());
    EXPECT_EQ(ProgramDirectory::vocabularyOnDisk(), c.bytes);
    EXPECT_EQ(lookup.text(kList).bytes(), c.bytes);
  }
}

}  // namespace
}  // namespace xiulan::testing
