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
// The message through which the notification area reports mouse actions on a window's icon,
// and the id of that icon among the window's (it has one at most).
inline constexpr UINT kTrayMessage = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;
// Posted to a resting timer's zone window when the pointer has moved somewhere on the desktop:
// the window looks whether it is now in the zone.
inline constexpr UINT kCheckPointerMessage = WM_APP + 2;

// The period a timer runs with. Windows runs no timer faster than USER_TIMER_MINIMUM (10 ms)
// and raises shorter periods to it; Wine would fire every millisecond. Asking for the floor
// ourselves gives the docking timer's "as fast as the system allows" the same pace everywhere.
inline UINT systemTimerPeriod(int period) {
  return static_cast<UINT>(period < static_cast<int>(USER_TIMER_MINIMUM)
                               ? static_cast<int>(USER_TIMER_MINIMUM)
                               : period);
}

struct Win32Control {
  const ControlDefinition* definition = nullptr;  // points into the window's own copy
  int id = 0;           // child-window id; for a timer or a balloon-tip box, its timer id
  HWND hwnd = nullptr;  // none for timers; a balloon-tip box's tooltip window, once made
  int period = 0;       // timers: the period the timer runs with, 0 stopped
  bool balloonShown = false;
  // Timers resting until the pointer enters a zone: the zone, and an invisible window over it
  // that the pointer's moves reach (made at the first rest, kept hidden between rests).
  bool resting = false;
  ScreenRect restZone{};
  RECT frameAtRest{};  // the window's frame when the rest began
  HWND zoneWindow = nullptr;
  bool pointerCheckPosted = false;  // a kCheckPointerMessage is on its way
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
  Window* owner() const override { return namedOwner_; }
  void placeControl(const char* control, int left, int top, int width, int height) override;
  Text text(const char* control) const override;
  void setText(const char* control, const Text& text) override;
  void appendText(const char* control, const Text& text) override;
  void addListItem(const char* control, const Text& item) override;
  std::vector<Text> listItems(const char* control) const override;
  void setFocus(const char* control) override;
  std::string focusedControl() const override;
  int timerPeriod(const char* timer) const override;
  void setTimerPeriod(const char* timer, int period) override;
  void restTimerUntilPointerIn(const char* timer, ScreenRect zone) override;
  int registerHotkey(const char* control, int modifiers, int virtualKey) override;
  Bytes iconBytes() const override;
  void setTrayIcon(const Bytes& iconFile, const Text& tip) override;
  void popUpMenu(const char* menu) override;
  void showBalloonTip(const char* balloon, int x, int y, const Text& text, int iconIndex,
                      bool autoClose) override;
  bool menuChecked(const char* item) const override;
  void setMenuChecked(const char* item, bool checked) override;
  bool alwaysOnTop() const override;
  void setAlwaysOnTop(bool onTop) override;
  void showAboutBox(const Text& applicationText, const Text& furtherText) override;
  void destroy() override;

  // Hides every balloon of the window: a mouse button, the wheel or a key was used in the
  // program.
  void hideBalloons();
  // Whether any balloon of the window is up.
  bool balloonShown() const;
  // Whether any timer of the window rests until the pointer enters a zone it can reach (one
  // on a screen; a minimised window's zone lies on none).
  bool watchesPointer() const;
  // The pointer has moved somewhere on the desktop: each resting timer looks, soon, whether
  // it is now in its zone.
  void pointerMoved();

  // Windows loaded by other windows. The owners are set before create().
  void setOwners(Window* named, HWND owning) {
    namedOwner_ = named;
    owningWindow_ = owning;
  }
  HWND owningWindow() const { return owningWindow_; }
  const WindowDefinition* source() const { return source_; }
  // Shows and activates a loaded window; the focus goes where its handlers put it, else to the
  // first control of the Tab cycle.
  void showLoaded();
  // A modal window keeps the windows it disabled, and enables them again just before it is
  // destroyed, so that one of them, not another program, becomes active as it goes.
  void holdDisabled(std::vector<Win32Window*> windows);
  void releaseDisabled();

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK zoneWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void raiseTrayEvent(int type);
  void handleTrayMessage(LPARAM mouseMessage);
  // Puts the icon held in trayIcon_ and trayTip_ into the notification area.
  void showTrayIcon(bool replace);
  void deleteTrayIcon();
  HWND balloonWindow(Win32Control& balloon);
  void hideBalloon(Win32Control& balloon);
  void destroyBalloons();
  HMENU createMenuBar() const;
  void createControl(Win32Control& control);
  void raise(Handler handler);
  // Ends the rest of a timer and runs it again at its period.
  void endRest(Win32Control& timer);
  // The window was shown (`shown`), or may have been moved or sized: every resting timer
  // whose window is now shown or stands elsewhere ticks again.
  void endRests(bool shown);
  // The pointer is over a zone window, or may have moved into its zone (`mayHave`).
  void pointerAtZone(HWND zoneWindow, bool mayHave);
  void destroyZoneWindows();

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
  // The notification-area icon, kept to put it back when the notification area restarts.
  bool trayPresent_ = false;
  HICON trayIcon_ = nullptr;
  std::wstring trayTip_;
  // Loaded windows: the definition it was made from, the window named as owner, and the
  // window that owns it (none: the desktop's hidden owner when it has no task-bar button).
  const WindowDefinition* source_ = nullptr;
  Window* namedOwner_ = nullptr;
  HWND owningWindow_ = nullptr;
  bool modal_ = false;
  std::vector<Win32Window*> disabledWhileOpen_;
};

class Win32Desktop final : public Desktop {
 public:
  explicit Win32Desktop(HINSTANCE instance);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  Window* createWindow(const WindowDefinition& definition) override;
  void loadModal(const WindowDefinition& definition, Window& owner) override;
  Window* loadOwned(const WindowDefinition& definition, Window& owner) override;
  Window* openWindow(const WindowDefinition& definition) const override;
  bool askYesNo(const Text& question, const Text& title) override;
  bool askingQuestion() const override { return questionsUp_ > 0; }
  void showErrorMessage(const Text& message, const Text& title) override;
  int screenWidth() const override;
  int screenHeight() const override;
  std::optional<Point> pointerPosition() const override;
  Text clipboardText() override;
  void setClipboardText(const Text& text) override;
  int runEventLoop() override;
  void endProgram(int exitCode) override;
  void openAddress(const Text& address) override;

  HINSTANCE instance() const { return instance_; }
  // The system's user-interface font, made once.
  HFONT uiFont() const { return uiFont_; }
  // A GB2312 font of the given character height, made once per height.
  HFONT gb2312Font(int height);
  // A hidden top-level window that owns the windows without a task-bar button.
  HWND hiddenOwner();
  int nextHotkeyId();
  bool shuttingDown() const { return shuttingDown_; }
  // The message the shell broadcasts when its notification area has (re)started.
  UINT taskbarCreatedMessage() const { return taskbarCreated_; }
  // Input in any window of the program: every balloon goes.
  void hideBalloons();
  // Called when a balloon has been shown or hidden.
  void balloonsChanged();
  // Called when a timer has begun or ended a rest until the pointer enters a zone.
  void restsChanged();
  // The pointer has moved somewhere on the desktop.
  void pointerMoved();

  void windowBorn() { ++liveWindows_; }
  void windowGone();

 private:
  // Whether a live window of the program holds the state that `holds` reads.
  bool anyWindow(bool (Win32Window::*holds)() const) const;
  // The program's window that `hwnd` is or lies in, or nothing.
  Win32Window* windowOf(HWND hwnd) const;
  // Makes a window that other windows load, and raises its creation events.
  Win32Window* makeLoadedWindow(const WindowDefinition& definition, Window& namedOwner,
                                HWND owningWindow);
  bool preTranslate(const MSG& message);

  HINSTANCE instance_;
  UINT taskbarCreated_ = 0;
  HHOOK inputHook_ = nullptr;
  HHOOK pointerHook_ = nullptr;  // low-level mouse hook, there only while a timer rests
  int questionsUp_ = 0;
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
