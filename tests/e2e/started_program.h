// A fixture: a copy of the program alone in a fresh directory, started, its window up and
// start-up over (the focus in the query box); closed again after the test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program_driver.h"

namespace xiulan::e2e {

inline const std::wstring kLookupCaption = L"澄屿计算机英语查询工具";

class StartedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW(settings().program.c_str(), directory.file(L"xiulan.exe").c_str(), TRUE));
    program = std::make_unique<RunningProgram>(directory.file(L"xiulan.exe"), directory.path());
    window = program->waitForWindow(kLookupCaption);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(waitFor([&] {
      queryBox = program->focusedControl();
      return queryBox && className(queryBox) == L"ComboBox";
    })) << "the focus is not in the query box";
  }
  void TearDown() override {
    if (program && IsWindow(window)) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      program->waitForExit();
    }
  }

  // The window's control of this class whose top edge stands at `top` in the client area.
  HWND control(const std::wstring& kind, int top) const {
    for (const ChildControl& child : program->controls(window)) {
      if (child.className == kind && child.placeInClient.top == top)
        return child.hwnd;
    }
    return nullptr;
  }

  TemporaryDirectory directory;
  std::unique_ptr<RunningProgram> program;
  HWND window = nullptr;
  HWND queryBox = nullptr;
};

}  // namespace xiulan::e2e
