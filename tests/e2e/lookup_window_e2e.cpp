// The real program under Windows (Wine in Xvfb, 1920 x 1080): start-up, its window as other
// programs see it, the vocabulary file beside it, and how it ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "lookup_window/lookup_window.h"
#include "started_program.h"
#include "toolkit/win32/gbk_wide.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan::e2e {
namespace {

using toolkit::win32::toWide;

const std::wstring kVocabularyFile = L"岫澜.txt";

// A copy of the program alone in a fresh directory, as a user unpacks it.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW(settings().program.c_str(), programPath().c_str(), TRUE));
  }
  std::wstring programPath() const { return programDirectory.file(L"xiulan.exe"); }

  TemporaryDirectory programDirectory;
};

const ChildControl* byText(const std::vector<ChildControl>& controls, const std::wstring& text) {
  for (const ChildControl& control : controls) {
    if (control.text == text)
      return &control;
  }
  return nullptr;
}

TEST_F(ProgramTest, StartsCentredWithItsControlsAndSeedsTheWordList) {
  // The test machine's Windows is not Chinese: the program must not rely on the system's
  // code page for its own texts.
  EXPECT_NE(GetACP(), 936u);

  RunningProgram program(programPath(), programDirectory.path());
  HWND window = program.waitForWindow(kLookupCaption);
  ASSERT_NE(window, nullptr) << "no window captioned 澄屿计算机英语查询工具";

  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, 800);
  EXPECT_EQ(frame.top, 320);
  EXPECT_EQ(frame.right - frame.left, 319);
  EXPECT_EQ(frame.bottom - frame.top, 439);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_NE(GetMenu(window), nullptr);

  // The first start writes the built-in list beside the program.
  const std::wstring seeded = programDirectory.file(kVocabularyFile);
  ASSERT_TRUE(waitFor([&] { return readFileBytes(seeded) == std::string(kBuiltInVocabulary); }))
      << "岫澜.txt beside the program does not hold the built-in list";

  // The focus goes to the query box once the created handler has run.
  std::vector<ChildControl> controls;
  const ChildControl* queryBox = nullptr;
  ASSERT_TRUE(waitFor([&] {
    controls = program.controls(window);
    for (const ChildControl& control : controls) {
      if (control.className == L"ComboBox")
        queryBox = &control;
    }
    return queryBox && program.focusedControl() == queryBox->hwnd;
  })) << "the focus is not in the query box";

  struct Expected {
    std::wstring className;
    std::wstring text;
    RECT place;  // left, top, right, bottom in the client area
  };
  const Expected expected[] = {
      {L"Button", L"最小化窗口并启用剪辑板查单词", {0, 279, 312, 311}},
      {L"Edit", toWide(lookup::kWelcomeText), {0, 311, 312, 392}},
      {L"Button", L"开始寻找(回车)", {0, 248, 312, 280}},
      {L"Edit", toWide(kBuiltInVocabulary), {0, 24, 312, 248}},
  };
  for (const Expected& want : expected) {
    const ChildControl* control = byText(controls, want.text);
    ASSERT_NE(control, nullptr) << "no control shows "
                                << ::testing::PrintToString(want.text.substr(0, 20));
    EXPECT_EQ(control->className, want.className);
    EXPECT_TRUE(control->visible);
    EXPECT_EQ(control->placeInClient.left, want.place.left);
    EXPECT_EQ(control->placeInClient.top, want.place.top);
    EXPECT_EQ(control->placeInClient.right, want.place.right);
    EXPECT_EQ(control->placeInClient.bottom, want.place.bottom);
  }
  EXPECT_EQ(queryBox->text, L"");
  EXPECT_EQ(queryBox->placeInClient.left, 0);
  EXPECT_EQ(queryBox->placeInClient.top, 0);
  EXPECT_EQ(queryBox->placeInClient.right, 312);

  RECT client{};
  GetClientRect(window, &client);
  EXPECT_NEAR(client.right, 312, 4);
  EXPECT_NEAR(client.bottom, 392, 12);

  const std::wstring shot = saveScreenshot(window, L"lookup-window");
  std::wcout << L"screenshot: " << shot << std::endl;
}

TEST_F(ProgramTest, EscLeavesTheWindowOpenAndClosingEndsWithZero) {
  RunningProgram program(programPath(), programDirectory.path());
  HWND window = program.waitForWindow(kLookupCaption);
  ASSERT_NE(window, nullptr);
  HWND queryBox = nullptr;
  ASSERT_TRUE(waitFor([&] {
    queryBox = program.focusedControl();
    return queryBox && className(queryBox) == L"ComboBox";
  }));
  ASSERT_TRUE(program.bringToFront(window));

  // Keys are handled in order: once the letters typed after Esc have arrived, Esc has too.
  RunningProgram::pressKey(VK_ESCAPE);
  RunningProgram::typeText(L"esc");
  ASSERT_TRUE(waitFor([&] { return readWindowText(queryBox) == L"esc"; }))
      << "typed text did not reach the query box";
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowVisible(window));

  PostMessageW(window, WM_CLOSE, 0, 0);
  const std::optional<DWORD> exitCode = program.waitForExit();
  ASSERT_TRUE(exitCode.has_value()) << "the program did not end after its window was closed";
  EXPECT_EQ(*exitCode, 0u);
}

TEST_F(ProgramTest, StartedFromAnotherDirectoryUsesTheListBesideTheProgram) {
  const std::string edited = "001、file　n.文件\r\n002、mine　n.我的词表";
  writeFileBytes(programDirectory.file(kVocabularyFile), edited);
  TemporaryDirectory elsewhere;
  const std::string decoy = "001、decoy　n.不该读到的词表";
  writeFileBytes(elsewhere.file(kVocabularyFile), decoy);

  RunningProgram program(programPath(), elsewhere.path());
  HWND window = program.waitForWindow(kLookupCaption);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(waitFor([&] { return byText(program.controls(window), toWide(edited)) != nullptr; }))
      << "the list does not show the file beside the program";
  EXPECT_EQ(readFileBytes(programDirectory.file(kVocabularyFile)), edited);
  EXPECT_EQ(readFileBytes(elsewhere.file(kVocabularyFile)), decoy);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), std::optional<DWORD>(0));
}

TEST(ProgramFileTest, CarriesItsIconVersionRecordAndManifest) {
  const std::wstring& program = settings().program;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> record(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, record.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  auto field = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
    if (!VerQueryValueW(record.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
      return std::wstring(L"<missing>");
    }
    return std::wstring(value);
  };
  EXPECT_EQ(field(L"FileDescription"), L"岫澜查询工具");
  EXPECT_EQ(field(L"ProductName"), L"岫澜查询工具");
  EXPECT_EQ(field(L"Comments"), L"岫澜查询工具");
  EXPECT_EQ(field(L"FileVersion"), L"1.0.0.0");
  EXPECT_EQ(field(L"ProductVersion"), L"1.0.0.0");
  EXPECT_NE(field(L"CompanyName"), L"<missing>");
  EXPECT_NE(field(L"LegalCopyright"), L"<missing>");

  HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  auto resource = [&](LPCWSTR type, int id) {
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(id), type);
    if (!found)
      return std::string();
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    return std::string(bytes, SizeofResource(image, found));
  };
  // One 32 x 32 image at 32 bits per pixel: the 4,286-byte icon file less its 22-byte header.
  const std::string group = resource(MAKEINTRESOURCEW(14), 1);  // RT_GROUP_ICON
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(static_cast<unsigned char>(group[6]), 32);
  EXPECT_EQ(static_cast<unsigned char>(group[7]), 32);
  const int iconId =
      static_cast<unsigned char>(group[18]) | (static_cast<unsigned char>(group[19]) << 8);
  EXPECT_EQ(resource(MAKEINTRESOURCEW(3), iconId).size(), 4286u - 22u);  // RT_ICON
  const std::string manifest = resource(MAKEINTRESOURCEW(24), 1);        // RT_MANIFEST
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("<gdiScaling"), std::string::npos);
  FreeLibrary(image);
}

}  // namespace
}  // namespace xiulan::e2e

int wmain(int argc, wchar_t** argv) {
  int narrowCount = 1;
  char programName[] = "xiulan_e2e";
  char* narrow[] = {programName, nullptr};
  ::testing::InitGoogleTest(&narrowCount, narrow);
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument.rfind(L"--program=", 0) == 0)
      xiulan::e2e::settings().program = argument.substr(10);
    if (argument.rfind(L"--artifacts=", 0) == 0) {
      xiulan::e2e::settings().artifacts = argument.substr(12);
    }
    if (argument.rfind(L"--filter=", 0) == 0) {
      const std::wstring filter = argument.substr(9);
      ::testing::GTEST_FLAG(filter) = std::string(filter.begin(), filter.end());
    }
  }
  if (xiulan::e2e::settings().program.empty() || xiulan::e2e::settings().artifacts.empty()) {
    std::fprintf(stderr, "usage: xiulan_e2e --program=PATH --artifacts=DIR [--filter=GTEST]\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
