// Inside the Win32 backend: the window and desktop classes behind win32_desktop.h.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace xiulan::toolkit::win32 {

class Win32Desktop;

// Ids of child windows and timers: the control's index in its definition plus this.
inline constexpr int kFirstControlId = 100;
// Command ids of menu items: the item's index in the menu definition plus this.
inline constexpr int kFirstMenuId = 0x1000;

struct Win32Control {
  const ControlDefinition* definition = nullptr;  // points into the window's own copy
  int id = 0;           // child-window id; for a timer, its timer id
  HWND hwnd = nullptr;  // none for timers and balloon tips
  int period = 0;       // timers: the period the timer runs with, 0 stopped
};

class Win32Window final : public Window {
 public:
  Win32Window(Win32Desktop& desktop, const WindowDefinition& definition);
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Makes the native window and its controls, hidden. False when the window cannot be made.
  bool create();
  void raiseCreationEvents();
  HWND hwnd() const { return hwnd_; }
  // The window's keyboard rules for a key-down message addressed to it or one of its
  // controls, applied before the message is translated: true when the key has been used.
  bool handleKey(const MSG& message);

  Desktop& desktop() override;
  bool exists() const override { return hwnd_ != nullptr; }
  int left() const override { return frame().left; }
  int top() const override { return frame().top; }
  int width() const override;
  int height() const override;
  void setLeft(int left) override;
  void setTop(int top) override;
  int clientWidth() const override;
  int clientHeight() const override;
  int visible() const override;
  void setVisible(int visible) override;
  int windowState() const override;
  void setWindowState(int state) override;
  bool enabled() const override;
  Text text(const char* control) const override;
  void setText(const char* control, const Text& text) override;
  void appendText(const char* control, const Text& text) override;
  void addListItem(const char* control, const Text& item) override;
  std::vector<Text> listItems(const char* control) const override;
  void setFocus(const char* control) override;
  std::string focusedControl() const override;
  int timerPeriod(const char* timer) const override;
  void setTimerPeriod(const char* timer, int period) override;
  int registerHotkey(const char* control, int modifiers, int virtualKey) override;
  void destroy() override;

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HMENU createMenuBar() const;
  void createControl(Win32Control& control);
  void raise(Handler handler);

  RECT frame() const;
  void moveTo(int left, int top);
  void centre();

  const Win32Control* find(const char* name) const;
  Win32Control* find(const char* name);
  Win32Control* controlById(WPARAM id);
  // The control that is or contains `hwnd` (the edit field inside a combo box counts as the
  // combo box), or nothing.
  const Win32Control* controlOf(HWND hwnd) const;

  void moveFocus(bool backwards);
  void clickDefaultButton();
  void rememberFocus();
  bool restoreFocus();

  Win32Desktop& desktop_;
  const WindowDefinition definition_;
  HWND hwnd_ = nullptr;
  std::vector<Win32Control> controls_;
  bool creating_ = true;     // native moves and sizes of the creation raise no events
  bool destroying_ = false;  // WM_DESTROY has begun
  HWND savedFocus_ = nullptr;
  POINT position_{};  // the frame's top-left corner as last reported
  // The last WM_SIZE seen (kind and client size): the first showing of a window repeats it,
  // and a repeat is no change of size.
  WPARAM sizeKind_ = SIZE_RESTORED;
  LPARAM clientSize_ = 0;
  std::map<int, std::size_t> hotkeys_;  // hotkey id -> index of the target control
};

class Win32Desktop final : public Desktop {
 public:
  explicit Win32Desktop(HINSTANCE instance);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  Window* createWindow(const WindowDefinition& definition) override;
  int screenWidth() const override;
  int screenHeight() const override;
  int runEventLoop() override;

  HINSTANCE instance() const { return instance_; }
  // The system's user-interface font, made once.
  HFONT uiFont() const { return uiFont_; }
  // A GB2312 font of the given character height, made once per height.
  HFONT gb2312Font(int height);
  // A hidden top-level window that owns the windows without a task-bar button.
  HWND hiddenOwner();
  int nextHotkeyId();
  bool shuttingDown() const { return shuttingDown_; }

  void windowBorn() { ++liveWindows_; }
  void windowGone();

 private:
  // The program's window that `hwnd` is or lies in, or nothing.
  Win32Window* windowOf(HWND hwnd) const;
  bool preTranslate(const MSG& message);

  HINSTANCE instance_;
  HFONT uiFont_ = nullptr;
  bool ownUiFont_ = false;
  std::map<int, HFONT> gb2312Fonts_;
  HWND hiddenOwner_ = nullptr;
  int lastHotkeyId_ = 0;
  int liveWindows_ = 0;
  bool shuttingDown_ = false;
  // Every window made, alive or not: handlers may still hold a Window& of a window that has
  // been destroyed, and it answers exists() == false instead of dangling.
  std::vector<std::unique_ptr<Win32Window>> windows_;
};

}  // namespace xiulan::toolkit::win32
