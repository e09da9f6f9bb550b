// Drives the real program from outside, the way automation and screen readers do: it starts
// xiulan.exe as a process, finds its windows, reads controls with standard messages and sends
// real input. Nothing reaches into the program's memory.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace xiulan::e2e {

// Set from the command line: where xiulan.exe is and where artifacts (screenshots) go.
struct Settings {
  std::wstring program;
  std::wstring artifacts;
};
Settings& settings();

// Polls a condition until it holds or the time runs out; the result is the condition's last
// value. End-to-end tests wait on conditions, never on sleeps alone.
bool waitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

std::wstring readWindowText(HWND window);
std::wstring className(HWND window);

struct ChildControl {
  HWND hwnd = nullptr;
  std::wstring className;
  std::wstring text;
  RECT placeInClient{};  // relative to the top-level window's client area
  bool visible = false;
};

// A fresh directory of its own under the system's temporary directory.
class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

std::optional<std::string> readFileBytes(const std::wstring& path);
void writeFileBytes(const std::wstring& path, const std::string& bytes);

// One running copy of the program.
class RunningProgram {
 public:
  // Starts `executable` with `workingDirectory` as its current directory.
  RunningProgram(const std::wstring& executable, const std::wstring& workingDirectory);
  ~RunningProgram();

  // The visible top-level window of the program with this caption, once it is there.
  HWND waitForWindow(const std::wstring& caption);
  std::vector<ChildControl> controls(HWND window) const;
  // The control with the keyboard focus in the program's thread (the combo box for its edit).
  HWND focusedControl() const;
  // Makes the window the foreground window so that real keyboard input reaches it.
  bool bringToFront(HWND window) const;
  // Real key presses through the system's input queue.
  static void pressKey(WORD virtualKey);
  static void typeText(const std::wstring& text);

  // Waits for the process to end; its exit code, or nothing if it did not end in time.
  std::optional<DWORD> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  DWORD processId() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
};

// A window of the test itself, standing for another program that has the keyboard focus.
class OtherProgramWindow {
 public:
  OtherProgramWindow();
  ~OtherProgramWindow();
  bool activate();

 private:
  HWND window_ = nullptr;
};

// A shown top-level window of the process, of this window class and, when one is given, with
// this caption; or nothing.
HWND findShownWindow(DWORD processId, const std::wstring& windowClass,
                     const std::wstring* caption = nullptr);

// The clipboard as another program fills it.
bool putClipboardText(const std::wstring& text);

// Clicks the first icon of the notification area with the real mouse, `clicks` times in a
// row. Without a notification area of its own desktop, Wine shows the icons in a small window
// titled "Wine System Tray". False when there is no icon to click.
enum class MouseButton { Left, Right };
bool clickTrayIcon(MouseButton button, int clicks);
// Right-clicks the first icon of the notification area until the process's popup menu opens;
// the menu, or nothing if a few clicks open none. Wine can drop a click on a tray window that
// has only just appeared; a second click on an icon whose menu is up would close it, so each
// click waits a while for its menu first.
HWND openTrayIconMenu(DWORD processId);

// What the screen shows of a window: width x height pixels, top row first, 0xRRGGBB each.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};
Picture capture(HWND window);

// Waits a little for a popup menu opened from the keyboard to show its highlighted item, the
// sign that it has been drawn and follows the keys; false if it does not in that time.
bool waitForMenuDrawn(HWND menu, std::chrono::milliseconds timeout = std::chrono::seconds(3));

// Saves the screen area of a window as a BMP in the artifacts directory.
std::wstring saveScreenshot(HWND window, const std::wstring& name);

}  // namespace xiulan::e2e
