// The real program's word editor and add-record window, driven from another program with real
// keys and mouse clicks: what reaches 岫澜.txt, the question box, and the failed-save message.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program_driver.h"
#include "toolkit/win32/gbk_wide.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan::e2e {
namespace {

using toolkit::win32::toGbk;

const std::wstring kLookupCaption = L"澄屿计算机英语查询工具";
const std::wstring kEditorCaption = L"单词修改 - 注意:请用换行符分割";
const std::wstring kAddCaption = L"加入记录";
const std::wstring kVocabularyFile = L"岫澜.txt";

// Real key presses: each key down, then all of them up in reverse order.
void pressChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    inputs.push_back(down);
  }
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A real click at a point: the pointer moves there in the same input as the button presses,
// so the click cannot land elsewhere.
void clickAt(POINT point, DWORD down, DWORD up) {
  INPUT clicks[3] = {};
  for (INPUT& click : clicks)
    click.type = INPUT_MOUSE;
  clicks[0].mi.dx = point.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  clicks[0].mi.dy = point.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  clicks[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  clicks[1].mi.dwFlags = down;
  clicks[2].mi.dwFlags = up;
  SendInput(3, clicks, sizeof(INPUT));
}

// A real left click at a point, once `window` is what lies there.
bool clickAt(POINT point, HWND window) {
  if (!waitFor([&] { return WindowFromPoint(point) == window; }, std::chrono::seconds(5)))
    return false;
  clickAt(point, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  return true;
}

// A real left click in the middle of a window.
bool clickOn(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return clickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, window);
}

// Clicks a button of a message box until the box has gone: a click at a box that has just
// appeared was now and then seen to go unanswered under Wine. Each click lands only on the
// button itself, never on what lies there once the box has gone.
bool answer(HWND box, int button) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!clickOn(GetDlgItem(box, button)))
      return !IsWindow(box);
    if (waitFor([&] { return !IsWindow(box); }, std::chrono::seconds(3)))
      return true;
  }
  return false;
}

// The popup menu on the screen, if one is open.
HWND openMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// A shown dialog of the process with this caption: the system's message boxes.
HWND findDialog(DWORD processId, const std::wstring& caption) {
  return findShownWindow(processId, L"#32770", &caption);
}

// The texts of a dialog's static controls (the message, and an icon if there is one).
std::vector<ChildControl> staticsOf(const RunningProgram& program, HWND dialog) {
  std::vector<ChildControl> statics;
  for (const ChildControl& control : program.controls(dialog)) {
    if (control.className == L"Static")
      statics.push_back(control);
  }
  return statics;
}

// The clipboard as another program reads it; "<held>" while it cannot be opened.
std::wstring clipboardText() {
  if (!OpenClipboard(nullptr))
    return L"<held>";
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

std::string bytesOf(HWND edit) {
  return toGbk(readWindowText(edit));
}

class WordEditorE2ETest : public ::testing::Test {
 protected:
  // Starts a copy of the program in a fresh directory, with this word list beside it or none.
  void start(const std::optional<std::string>& vocabulary) {
    ASSERT_TRUE(CopyFileW(settings().program.c_str(), directory.file(L"xiulan.exe").c_str(), TRUE));
    if (vocabulary)
      writeFileBytes(vocabularyPath(), *vocabulary);
    program = std::make_unique<RunningProgram>(directory.file(L"xiulan.exe"), directory.path());
    lookup = program->waitForWindow(kLookupCaption);
    ASSERT_NE(lookup, nullptr);
    ASSERT_TRUE(waitFor([&] {
      for (const ChildControl& control : program->controls(lookup)) {
        if (control.className == L"ComboBox")
          queryBox = control.hwnd;
        if (control.className == L"Edit" && control.placeInClient.top == 24)
          list = control.hwnd;
        if (control.className == L"Edit" && control.placeInClient.top > 300)
          outputBox = control.hwnd;
      }
      return queryBox && list && outputBox && program->focusedControl() == queryBox;
    })) << "the lookup window is not ready";
  }
  void TearDown() override {
    if (program && IsWindow(lookup)) {
      if (HWND box = findDialog(program->processId(), L"保存"))
        answer(box, IDNO);
      if (editor && IsWindow(editor))
        PostMessageW(editor, WM_CLOSE, 0, 0);
      waitFor([&] { return IsWindowEnabled(lookup) != FALSE; }, std::chrono::seconds(5));
      PostMessageW(lookup, WM_CLOSE, 0, 0);
      program->waitForExit();
    }
  }

  std::wstring vocabularyPath() const { return directory.file(kVocabularyFile); }
  std::optional<std::string> vocabularyOnDisk() const { return readFileBytes(vocabularyPath()); }

  // 菜单 → 单词修改 with the keyboard, then the editor with the focus in its box.
  void openEditor() {
    chooseFromMenu(lookup, 1);
    if (HasFatalFailure())
      return;
    editor = program->waitForWindow(kEditorCaption);
    ASSERT_NE(editor, nullptr) << "单词修改 did not open the editor";
    ASSERT_TRUE(waitFor([&] {
      for (const ChildControl& control : program->controls(editor)) {
        if (control.className == L"Edit")
          editorBox = control.hwnd;
      }
      return editorBox && program->focusedControl() == editorBox;
    })) << "the focus is not in the editor box";
  }
  // The item `downs` places down (separators not counted) in the window's first menu, with the
  // keyboard: F10 and Down open the menu on its first item.
  void chooseFromMenu(HWND window, int downs) {
    ASSERT_TRUE(program->bringToFront(window));
    // Wine is slow with the first menu a program opens, and keys sent meanwhile can be lost:
    // the menu is opened and closed once before the keys that choose.
    pressChord({VK_F10});
    pressChord({VK_DOWN});
    ASSERT_TRUE(waitFor([] { return openMenu() != nullptr; })) << "the menu did not open";
    waitForMenuDrawn(openMenu());
    pressChord({VK_ESCAPE});
    pressChord({VK_ESCAPE});
    ASSERT_TRUE(waitFor([] { return openMenu() == nullptr; })) << "the menu stayed open";
    pressChord({VK_F10});
    pressChord({VK_DOWN});
    ASSERT_TRUE(waitFor([] { return openMenu() != nullptr; })) << "the menu did not open";
    waitForMenuDrawn(openMenu());
    for (int i = 1; i < downs; ++i)
      pressChord({VK_DOWN});
    pressChord({VK_RETURN});
    ASSERT_TRUE(waitFor([] { return openMenu() == nullptr; })) << "the menu stayed open";
  }
  void save() { chooseFromMenu(editor, 2); }
  // Puts the caret at the end of the editor's text, as the user does with Ctrl+End.
  void toTheEnd() {
    ASSERT_TRUE(program->bringToFront(editor));
    pressChord({VK_CONTROL, VK_END});
  }
  // Waits for the editor to be gone and the lookup window to take input again.
  bool editorClosed() {
    return waitFor([&] { return !IsWindow(editor) && IsWindowEnabled(lookup); });
  }
  bool boxFillsTheEditor() const {
    RECT client{};
    GetClientRect(editor, &client);
    const std::vector<ChildControl> controls = program->controls(editor);
    if (controls.size() != 1)
      return false;
    const RECT& box = controls[0].placeInClient;
    return box.left == 0 && box.top == 0 && box.right == client.right &&
           box.bottom == client.bottom;
  }
  HWND waitForQuestion() {
    HWND box = nullptr;
    waitFor([&] { return (box = findDialog(program->processId(), L"保存")) != nullptr; });
    return box;
  }

  TemporaryDirectory directory;
  std::unique_ptr<RunningProgram> program;
  HWND lookup = nullptr;
  HWND queryBox = nullptr;
  HWND list = nullptr;
  HWND outputBox = nullptr;
  HWND editor = nullptr;
  HWND editorBox = nullptr;
};

const std::string kTwoLines = "001、file　n.文件\r\n002、help　v.&n.帮助";

TEST_F(WordEditorE2ETest, OpensModallyAndWhatIsTypedAndSavedLandsInTheFile) {
  start(kTwoLines);
  openEditor();
  if (HasFatalFailure())
    return;

  RECT frame{};
  GetWindowRect(editor, &frame);
  EXPECT_EQ(frame.right - frame.left, 457);
  EXPECT_EQ(frame.bottom - frame.top, 375);
  EXPECT_EQ(frame.left, (1920 - 457) / 2);
  EXPECT_EQ(frame.top, (1080 - 375) / 2);
  const LONG style = GetWindowLongW(editor, GWL_STYLE);
  EXPECT_TRUE((style & WS_THICKFRAME) && (style & WS_MINIMIZEBOX) && (style & WS_MAXIMIZEBOX));
  // No task-bar button: owned, but not by the lookup window, which it does not follow.
  EXPECT_NE(GetWindow(editor, GW_OWNER), nullptr);
  EXPECT_NE(GetWindow(editor, GW_OWNER), lookup);
  EXPECT_FALSE(GetWindowLongW(editor, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  // The box fills the client area, also maximised and restored, and shows the file.
  ASSERT_EQ(program->controls(editor).size(), 1u);
  EXPECT_TRUE(boxFillsTheEditor());
  RECT restored{};
  GetClientRect(editor, &restored);
  SendMessageW(editor, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(waitFor([&] {
    RECT client{};
    GetClientRect(editor, &client);
    return client.right > restored.right + 1000 && boxFillsTheEditor();
  })) << "the box does not fill the maximised editor";
  SendMessageW(editor, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(waitFor([&] {
    RECT client{};
    GetClientRect(editor, &client);
    return client.right == restored.right && boxFillsTheEditor();
  })) << "the box does not shrink back with the editor";
  EXPECT_EQ(bytesOf(editorBox), std::string(kTwoLines));
  EXPECT_FALSE(IsWindowEnabled(lookup)) << "the lookup window takes input under the editor";
  saveScreenshot(editor, L"word-editor");

  // Real keys: to the end, a line break, a new entry; then 保存 from the menu.
  toTheEnd();
  pressChord({VK_RETURN});
  RunningProgram::typeText(L"003、zzzword　n.新词");
  const std::string edited = kTwoLines + "\r\n003、zzzword　n.新词";
  ASSERT_TRUE(waitFor([&] { return bytesOf(editorBox) == std::string(edited); }))
      << ::testing::PrintToString(readWindowText(editorBox));
  save();
  EXPECT_TRUE(waitFor([&] { return vocabularyOnDisk() == edited; })) << "保存 did not write it";
  EXPECT_EQ(bytesOf(list), std::string(kTwoLines)) << "the list changed before the editor closed";

  // Saved, so Esc closes without a question; the list then holds the file.
  ASSERT_TRUE(program->bringToFront(editor));
  pressChord({VK_ESCAPE});
  ASSERT_TRUE(editorClosed());
  EXPECT_TRUE(waitFor([&] { return bytesOf(list) == std::string(edited); }));
  EXPECT_EQ(findDialog(program->processId(), L"保存"), nullptr);

  // A typed lookup finds the new line.
  ASSERT_TRUE(program->bringToFront(lookup));
  SendMessageW(queryBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  RunningProgram::typeText(L"zzzword");
  ASSERT_TRUE(waitFor([&] { return readWindowText(queryBox) == L"zzzword"; }));
  RunningProgram::pressKey(VK_RETURN);
  EXPECT_TRUE(waitFor([&] {
    return readWindowText(outputBox).rfind(L"003、zzzword　n.新词\r\n", 0) == 0;
  })) << ::testing::PrintToString(readWindowText(outputBox));
}

TEST_F(WordEditorE2ETest, ClosingAfterAChangeAsksAndOnlyYesSaves) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    start(kTwoLines);
    openEditor();
    if (HasFatalFailure())
      return;
    toTheEnd();
    RunningProgram::typeText(L"x");
    ASSERT_TRUE(waitFor([&] { return bytesOf(editorBox) == std::string(kTwoLines + "x"); }));
    pressChord({VK_ESCAPE});

    HWND question = waitForQuestion();
    ASSERT_NE(question, nullptr) << "no question box";
    const std::vector<ChildControl> statics = staticsOf(*program, question);
    bool asks = false;
    for (const ChildControl& control : statics) {
      asks = asks || control.text == L"是否保存?";
      // Wine keeps an empty icon control in the box; Windows leaves it out.
      const bool icon = (GetWindowLongW(control.hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                        SendMessageW(control.hwnd, STM_GETICON, 0, 0) != 0;
      EXPECT_FALSE(control.visible && icon) << "the box shows an icon";
    }
    EXPECT_TRUE(asks) << "the box does not ask 是否保存?";
    EXPECT_NE(GetDlgItem(question, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(question, IDNO), nullptr);
    EXPECT_EQ(GetDlgItem(question, IDCANCEL), nullptr);
    EXPECT_FALSE(IsWindowEnabled(lookup)) << "the lookup window takes input under the question";
    saveScreenshot(question, L"question-box");

    ASSERT_TRUE(answer(question, yes ? IDYES : IDNO));
    ASSERT_TRUE(editorClosed());
    const std::string kept = yes ? kTwoLines + "x" : kTwoLines;
    EXPECT_TRUE(waitFor([&] { return bytesOf(list) == std::string(kept); }));
    EXPECT_EQ(vocabularyOnDisk(), kept);

    PostMessageW(lookup, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->waitForExit(), std::optional<DWORD>(0));
    program.reset();
    DeleteFileW(directory.file(L"xiulan.exe").c_str());
  }
}

TEST_F(WordEditorE2ETest, CtrlJTextAndAddAppendAnEntry) {
  start(std::nullopt);  // the built-in list, seeded at start-up
  openEditor();
  if (HasFatalFailure())
    return;
  ASSERT_TRUE(waitFor([&] { return bytesOf(editorBox) == std::string(kBuiltInVocabulary); }));
  ASSERT_TRUE(program->bringToFront(editor));
  pressChord({VK_CONTROL, 'J'});
  HWND add = program->waitForWindow(kAddCaption);
  ASSERT_NE(add, nullptr) << "Ctrl+J did not open 加入记录";
  EXPECT_EQ(GetWindow(add, GW_OWNER), editor);
  HWND entryBox = nullptr;
  HWND addButton = nullptr;
  for (const ChildControl& control : program->controls(add)) {
    if (control.className == L"Edit")
      entryBox = control.hwnd;
    if (control.className == L"Button" && control.text == L"加入")
      addButton = control.hwnd;
  }
  ASSERT_NE(entryBox, nullptr);
  ASSERT_NE(addButton, nullptr);
  ASSERT_TRUE(waitFor([&] { return program->focusedControl() == entryBox; }));
  saveScreenshot(add, L"add-record");

  RunningProgram::typeText(L"778、added　n.加入的");
  ASSERT_TRUE(waitFor([&] { return readWindowText(entryBox) == L"778、added　n.加入的"; }));
  ASSERT_TRUE(clickOn(addButton));
  ASSERT_TRUE(waitFor([&] { return !IsWindow(add); })) << "加入 did not close the window";
  // The built-in list ends without a line break: the entry joins its last line.
  const std::string added = std::string(kBuiltInVocabulary) + "778、added　n.加入的\r\n";
  EXPECT_TRUE(waitFor([&] { return bytesOf(editorBox) == std::string(added); }));

  save();
  EXPECT_TRUE(waitFor([&] { return vocabularyOnDisk() == added; }));
  ASSERT_TRUE(program->bringToFront(editor));
  pressChord({VK_ESCAPE});
  EXPECT_TRUE(editorClosed());
}

TEST_F(WordEditorE2ETest, AFailedSaveIsReportedWithTheSystemsReason) {
  start(kTwoLines);
  ASSERT_TRUE(SetFileAttributesW(vocabularyPath().c_str(), FILE_ATTRIBUTE_READONLY));
  openEditor();
  if (HasFatalFailure())
    return;
  toTheEnd();
  RunningProgram::typeText(L"x");
  ASSERT_TRUE(waitFor([&] { return bytesOf(editorBox) == std::string(kTwoLines + "x"); }));
  save();

  HWND message = nullptr;
  ASSERT_TRUE(waitFor([&] { return (message = findDialog(program->processId(), L"保存失败")); }))
      << "no message about the failed save";
  wchar_t* reason = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, ERROR_ACCESS_DENIED, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
  ASSERT_NE(reason, nullptr);
  std::wstring expectedReason = reason;
  LocalFree(reason);
  while (!expectedReason.empty() &&
         (expectedReason.back() == L'\n' || expectedReason.back() == L'\r')) {
    expectedReason.pop_back();
  }
  std::wstring text;
  for (const ChildControl& control : staticsOf(*program, message))
    text += control.text;
  EXPECT_NE(text.find(L"岫澜.txt"), std::wstring::npos) << ::testing::PrintToString(text);
  EXPECT_NE(text.find(expectedReason), std::wstring::npos) << ::testing::PrintToString(text);
  saveScreenshot(message, L"save-failed");

  ASSERT_TRUE(answer(message, IDOK));
  EXPECT_TRUE(IsWindow(editor)) << "the editor went with the message";
  EXPECT_EQ(bytesOf(editorBox), std::string(kTwoLines + "x"));
  EXPECT_EQ(vocabularyOnDisk(), kTwoLines);

  // Closing asks again; No leaves the file as it was.
  ASSERT_TRUE(program->bringToFront(editor));
  pressChord({VK_ESCAPE});
  HWND question = waitForQuestion();
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(answer(question, IDNO));
  EXPECT_TRUE(editorClosed());
  EXPECT_EQ(vocabularyOnDisk(), kTwoLines);
  SetFileAttributesW(vocabularyPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WordEditorE2ETest, BytesPassThroughTheEditorBoxUnchanged) {
  start(kTwoLines);
  // Not GBK, a UTF-8 byte-order mark, lone CR and LF, CR CR LF, a line of 100,000 bytes.
  const std::string odd = std::string("\xEF\xBB\xBF") + "001、file\x81\x20\xFF\r\n002\rhelp\n" +
                          "003、list\r\r\n004、" + std::string(100000, 'w') + "\r\n\x80";
  writeFileBytes(vocabularyPath(), odd);

  // Opened and closed without an edit: nothing asked, and the list shows the file.
  openEditor();
  if (HasFatalFailure())
    return;
  EXPECT_EQ(bytesOf(editorBox), odd);
  pressChord({VK_ESCAPE});
  ASSERT_TRUE(editorClosed()) << "closing asked or did not close";
  EXPECT_TRUE(waitFor([&] { return bytesOf(list) == odd; }));

  // Changed from outside, then saved without an edit: the box's bytes come back unchanged.
  openEditor();
  if (HasFatalFailure())
    return;
  writeFileBytes(vocabularyPath(), "outside");
  save();
  EXPECT_TRUE(waitFor([&] { return vocabularyOnDisk() == odd; })) << "保存 changed the bytes";
  ASSERT_TRUE(program->bringToFront(editor));
  pressChord({VK_ESCAPE});
  EXPECT_TRUE(editorClosed());
}

// Clipboard lookup into the tray, the window shown again with Home and restored: the icon
// stays, and so does the clipboard timer, while the editor is open.
TEST_F(WordEditorE2ETest, ClipboardTicksGoOnUnderTheEditorAndExitFromTheTrayAsksFirst) {
  start(kTwoLines);
  HWND clipboardButton = nullptr;
  for (const ChildControl& control : program->controls(lookup)) {
    if (control.className == L"Button" && control.placeInClient.top == 279)
      clipboardButton = control.hwnd;
  }
  ASSERT_NE(clipboardButton, nullptr);
  SendMessageW(clipboardButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(lookup); }));
  RunningProgram::pressKey(VK_HOME);
  ASSERT_TRUE(waitFor([&] { return IsWindowVisible(lookup) != FALSE; }));
  SendMessageW(lookup, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(waitFor([&] { return !IsIconic(lookup) && IsWindowVisible(lookup); }));
  openEditor();
  if (HasFatalFailure())
    return;
  toTheEnd();
  RunningProgram::typeText(L"x");
  ASSERT_TRUE(waitFor([&] { return bytesOf(editorBox) == kTwoLines + "x"; }));

  // A copied term is looked up, and the clipboard emptied, while the editor's loop runs.
  ASSERT_TRUE(putClipboardText(L"help"));
  EXPECT_TRUE(waitFor([] { return clipboardText().empty(); }))
      << "no clipboard lookup while the editor is open";

  // 帮助 at the icon: 关于, a separator, 退出. The last item is clicked with the mouse: the
  // keyboard may still belong to the notification area, which took the right click.
  HWND menu = openTrayIconMenu(program->processId());
  ASSERT_NE(menu, nullptr) << "no tray icon, or no menu at it";
  RECT rect{};
  GetWindowRect(menu, &rect);
  ASSERT_TRUE(clickAt(
      {(rect.left + rect.right) / 2, rect.bottom - 4 - GetSystemMetrics(SM_CYMENU) / 2}, menu));
  HWND question = waitForQuestion();
  ASSERT_NE(question, nullptr) << "退出 did not ask about the unsaved change";
  EXPECT_FALSE(IsWindowVisible(editor));
  ASSERT_TRUE(answer(question, IDYES));
  EXPECT_EQ(program->waitForExit(), std::optional<DWORD>(0));
  EXPECT_EQ(vocabularyOnDisk(), kTwoLines + "x");
}

}  // namespace
}  // namespace xiulan::e2e
