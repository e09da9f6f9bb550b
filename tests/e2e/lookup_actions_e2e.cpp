// The real program's lookups and its ways out of sight: typed lookup through real keys, the
// notification-area icon, the Home hotkey and clipboard lookup, driven from another program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "started_program.h"
#include "toolkit/win32/gbk_wide.h"

namespace xiulan::e2e {
namespace {

using toolkit::win32::toWide;

class RunningCopyTest : public StartedProgramTest {
 protected:
  void SetUp() override {
    StartedProgramTest::SetUp();
    if (HasFatalFailure())
      return;
    outputBox = control(L"Edit", 311);
    clipboardButton = control(L"Button", 279);
    ASSERT_NE(outputBox, nullptr);
    ASSERT_NE(clipboardButton, nullptr);
  }

  bool isCentredAndShown() const {
    RECT frame{};
    GetWindowRect(window, &frame);
    return IsWindowVisible(window) && !IsIconic(window) && frame.left == 800 && frame.top == 320;
  }

  HWND outputBox = nullptr;
  HWND clipboardButton = nullptr;
};

std::vector<std::wstring> historyOf(HWND comboBox) {
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(comboBox, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(comboBox, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    item.resize(static_cast<std::size_t>(
        SendMessageW(comboBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
    items.push_back(item);
  }
  return items;
}

TEST_F(RunningCopyTest, TypedLookupThroughRealKeys) {
  ASSERT_TRUE(program->bringToFront(window));
  struct Case {
    std::wstring query;
    std::string output;  // the output box's bytes, GBK
  };
  const Case cases[] = {
      {L"help", "035、help　v.&n.帮助\r\n\r\n找到:1处包含\"help\"的内容。"},
      {L"File", "找不到:\"File\""},
      {L"", "请先输入你要查找的内容"},
  };
  for (const Case& c : cases) {
    SendMessageW(queryBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    RunningProgram::typeText(c.query);
    ASSERT_TRUE(waitFor([&] { return readWindowText(queryBox) == c.query; }));
    RunningProgram::pressKey(VK_RETURN);
    EXPECT_TRUE(waitFor([&] { return readWindowText(outputBox) == toWide(c.output); }))
        << "query " << ::testing::PrintToString(c.query) << " gave "
        << ::testing::PrintToString(readWindowText(outputBox));
  }
  // Every search past the empty-query check joins the history, found or not.
  EXPECT_EQ(historyOf(queryBox), (std::vector<std::wstring>{L"help", L"File"}));
}

TEST_F(RunningCopyTest, MinimisedIntoTheTrayAndBackByDoubleClick) {
  SetWindowPos(window, nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // as the caption's minimise button does
  ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(window); })) << "minimising did not hide it";
  ASSERT_TRUE(clickTrayIcon(MouseButton::Left, 2)) << "no tray icon";
  EXPECT_TRUE(waitFor([&] { return isCentredAndShown(); })) << "not restored and centred";
  EXPECT_TRUE(waitFor([&] { return program->focusedControl() == queryBox; }));
}

TEST_F(RunningCopyTest, HomeKeyHidesAndShowsTheWindow) {
  ASSERT_TRUE(program->bringToFront(window));
  RunningProgram::pressKey(VK_HOME);
  ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(window); })) << "Home did not hide it";
  // Home works from any program: another one has the focus now.
  OtherProgramWindow other;
  ASSERT_TRUE(other.activate());
  RunningProgram::pressKey(VK_HOME);
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(window) != FALSE; })) << "Home did not show it";
  EXPECT_EQ(readWindowText(queryBox), L"");  // the key went to the hotkey, not to the box
}

// The clipboard as another program fills it.
bool putClipboardPicture() {
  if (!OpenClipboard(nullptr))
    return false;
  EmptyClipboard();
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  SetClipboardData(CF_BITMAP, picture);
  CloseClipboard();
  return true;
}

std::optional<std::wstring> clipboardText() {
  if (!OpenClipboard(nullptr))
    return std::nullopt;
  std::optional<std::wstring> text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  } else {
    text = L"";
  }
  CloseClipboard();
  return text;
}

// The program's shown balloon: a tooltip window of its process whose text is what it shows.
struct Balloon {
  HWND hwnd = nullptr;
  std::wstring text;
  RECT rect{};
};

std::optional<Balloon> shownBalloon(DWORD processId) {
  HWND tip = findShownWindow(processId, L"tooltips_class32");
  if (!tip)
    return std::nullopt;
  Balloon balloon{tip, readWindowText(tip), {}};
  GetWindowRect(tip, &balloon.rect);
  return balloon;
}

// Three clipboard ticks at 500 ms: enough for the program to have looked at a copied text
// that it must leave alone. A negative result can only be waited for so long.
void letThreeTicksPass() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1600));
}

TEST_F(RunningCopyTest, ClipboardLookupShowsTheLinesAndEmptiesTheClipboard) {
  SendMessageW(clipboardButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(window); })) << "the window did not go";
  SetCursorPos(600, 500);

  ASSERT_TRUE(putClipboardText(L"file"));
  const auto copied = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitFor([&] { return clipboardText() == std::wstring(); }, std::chrono::seconds(5)))
      << "the clipboard was not emptied";
  const auto emptiedAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - copied);
  std::optional<Balloon> balloon;
  ASSERT_TRUE(waitFor([&] { return (balloon = shownBalloon(program->processId())).has_value(); }))
      << "no balloon";
  std::cout << "clipboard emptied " << emptiedAfter.count() << " ms after the copy\n";
  for (const char* line : {"001、file　n.文件　v.保存文件", "125、filename", "241、profile"}) {
    EXPECT_NE(balloon->text.find(toWide(line)), std::wstring::npos)
        << ::testing::PrintToString(balloon->text);
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  EXPECT_LE(std::abs(balloon->rect.left - pointer.x) + std::abs(balloon->rect.top - pointer.y), 80)
      << "the balloon is not at the pointer";

  // A copy that matches nothing, and a picture, stay on the clipboard.
  ASSERT_TRUE(putClipboardText(L"File"));
  letThreeTicksPass();
  EXPECT_EQ(clipboardText(), std::wstring(L"File"));
  ASSERT_TRUE(putClipboardPicture());
  letThreeTicksPass();
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  CloseClipboard();
}

}  // namespace
}  // namespace xiulan::e2e
