// The run-time services the windows are built on, behind one narrow interface with two
// backends: win32/ (the real desktop) and sim/ (an in-memory desktop for behaviour tests).
//
// A window is a definition (data) plus handlers. Handlers get the window they belong to and
// nothing else; the state of the program lives in the controls, menus and timers reached
// through that handle, never in variables of our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vocabulary/text.h"

namespace xiulan::toolkit {

class Window;
class Desktop;

using Handler = void (*)(Window&);
using TrayHandler = void (*)(Window&, int type);

enum class ControlKind { Timer, Label, Button, Edit, ComboBox, BalloonTip };

enum class Frame { None, Thin, Sunken };

// One control of a window definition. Places and sizes are client-area pixels.
struct ControlDefinition {
  const char* name = "";
  ControlKind kind = ControlKind::Label;
  int left = 0, top = 0, width = 0, height = 0;
  bool shown = true;
  Text text{};  // initial text
  bool tabStop = false;
  bool defaultButton = false;
  // Edit boxes.
  bool multiline = false;
  bool readOnly = false;
  bool wantReturn = false;  // Enter inserts a line break instead of clicking the default button
  bool verticalScroll = false;
  bool horizontalScroll = false;
  bool wrap = false;  // long lines wrap at the box's width
  Frame frame = Frame::None;
  int fontHeight = 0;  // 0: the system's user-interface font; else a GB2312 font of that height
  // Combo boxes: total height with the drop-down list open.
  int dropDownHeight = 0;
  // Timers: initial period in milliseconds, 0 stopped.
  int period = 0;
  // Balloon-tip boxes.
  int balloonDisplayMs = 0;
  // The click of a button, the tick of a timer, the feedback (hotkey press) of a label.
  Handler onEvent = nullptr;
};

// One item of a menu bar: level 0 is a menu on the bar, level 1 an item under the last menu.
struct MenuItemDefinition {
  const char* text = "";
  int level = 1;
  bool separator = false;
  bool checkable = false;
  const char* shortcut = nullptr;  // shown after a tab, e.g. "Ctrl+J"
  Handler onSelect = nullptr;
};

enum class Border { FixedSingle, Resizable };

struct WindowDefinition {
  Text caption{};
  int width = 0, height = 0;  // outer frame
  Border border = Border::FixedSingle;
  bool minimizeButton = false;
  bool maximizeButton = false;
  bool escCloses = false;
  bool taskbarButton = true;
  std::vector<MenuItemDefinition> menu{};
  // In definition order: the first is the top of the stacking order; Tab visits the shown,
  // enabled tab stops from the last towards the first.
  std::vector<ControlDefinition> controls{};
  Handler onCreated = nullptr;
  Handler onPositionChanged = nullptr;
  Handler onSizeChanged = nullptr;
  Handler onDestroying = nullptr;
  TrayHandler onTrayEvent = nullptr;
};

// Window state values as they are read and written.
inline constexpr int kStateNormal = 0;
inline constexpr int kStateRestoreAndCentre = 1;
inline constexpr int kStateMinimised = 2;
inline constexpr int kStateMaximised = 3;

inline constexpr int kVirtualKeyHome = 0x24;

// Types of a window's tray event: what the user did to its notification-area icon.
inline constexpr int kTrayLeftButtonUp = 1;
inline constexpr int kTrayDoubleClick = 2;
inline constexpr int kTrayContextMenu = 3;  // right button released, or the menu key on the icon

// The tray tip keeps this many bytes of the text it is given.
inline constexpr std::size_t kTrayTipBytes = 62;

// A point on the desktop, in screen pixels from the top-left corner of the primary screen.
struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle of screen pixels, its edges included.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool contains(Point p) const {
    return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
  }
};

// A live window of the program. Every write that moves the window raises its
// position-changed event before the write returns, nested if a handler moves it again.
class Window {
 public:
  virtual ~Window() = default;
  virtual Desktop& desktop() = 0;
  virtual bool exists() const = 0;

  // Outer frame in screen pixels. Written values are clamped to -32627 ... 32627.
  virtual int left() const = 0;
  virtual int top() const = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual void setLeft(int left) = 0;
  virtual void setTop(int top) = 0;
  virtual int clientWidth() const = 0;
  virtual int clientHeight() const = 0;

  // 1 shown (also while minimised), 0 hidden. Writing 1 shows and activates the window.
  virtual int visible() const = 0;
  virtual void setVisible(int visible) = 0;
  // Reads 2 minimised, 3 maximised, else 0. Writes: 0 show normally, 1 restore and centre,
  // 2 minimise, 3 maximise; clamped to 0...3 and ignored while the window is hidden.
  virtual int windowState() const = 0;
  virtual void setWindowState(int state) = 0;
  virtual bool enabled() const = 0;

  // --- Windows that other windows load, and their layout ---
  // The window named as the owner when this one was loaded (Desktop::loadModal or loadOwned),
  // or nothing. A modal window only names it: it does not go with that window.
  virtual Window* owner() const = 0;
  // Moves and sizes a control; places are client-area pixels.
  virtual void placeControl(const char* control, int left, int top, int width, int height) = 0;

  // Controls, found by their definition name.
  virtual Text text(const char* control) const = 0;
  virtual void setText(const char* control, const Text& text) = 0;
  // Puts the caret at the end, inserts the text there and scrolls it into view.
  virtual void appendText(const char* control, const Text& text) = 0;
  virtual void addListItem(const char* control, const Text& item) = 0;
  virtual std::vector<Text> listItems(const char* control) const = 0;
  virtual void setFocus(const char* control) = 0;
  // The definition name of the control that has the keyboard focus, or "" when none does.
  virtual std::string focusedControl() const = 0;

  // Timers: a negative period counts as 0; 0 stops; writing the current value changes
  // nothing; any other value restarts the count, the first tick one period later.
  virtual int timerPeriod(const char* timer) const = 0;
  virtual void setTimerPeriod(const char* timer, int period) = 0;
  // Lets a running timer of this hidden window rest until the pointer enters `zone`: no ticks
  // are raised meanwhile, and its period reads unchanged. The rest ends, and the ticks come
  // again one period apart, once the pointer is in the zone, the window is shown, moved or
  // sized, or the period changes. Asked while the window is shown, it does nothing. A handler
  // that, while its window is hidden, acts only on a pointer in some zone uses it so that the
  // wait costs nothing between the pointer's moves, instead of a wake-up at every tick.
  virtual void restTimerUntilPointerIn(const char* timer, ScreenRect zone) = 0;

  // Registers a global hotkey whose presses raise the feedback event of `control`. Gives a
  // positive identifier, or 0 when the key cannot be had.
  virtual int registerHotkey(const char* control, int modifiers, int virtualKey) = 0;

  // The window's icon as the bytes of an icon file (the program's own icon), or empty bytes
  // when there is none.
  virtual Bytes iconBytes() const = 0;
  // The window's notification-area icon; a window has at most one. Setting it adds the icon,
  // or replaces the picture and tip of the one already there; the tip keeps its first
  // kTrayTipBytes bytes. Empty bytes, or bytes that make no picture, remove it; removing an
  // absent icon does nothing. The icon goes when the window is destroyed, and comes back by
  // itself when the desktop's notification area is restarted. Mouse actions on it raise the
  // window's tray event.
  virtual void setTrayIcon(const Bytes& iconFile, const Text& tip) = 0;
  // Pops up the submenu of the menu-bar item with this text, its top-left corner at the
  // pointer + (3, 3); either mouse button chooses. A chosen item runs its selection handler,
  // as from the menu bar. Returns when the menu has closed, chosen or not.
  virtual void popUpMenu(const char* menu) = 0;

  // Shows a balloon of the balloon-tip box `balloon` at the screen point (x, y), at once, in
  // place of the one shown (if any). The box has no image list: no index shows an icon. With
  // autoClose the balloon hides itself after the box's display time, counted from this call;
  // a press or double click of a mouse button, the wheel or a key in any window of the
  // program (the balloon included) hides it, moving the mouse does not. The balloon never
  // takes the focus, and its window text is the text it shows. Its lines stay on the screen
  // that holds the point: when they do not all fit (or are longer than the system's tooltip
  // keeps), it shows as many as fit and then a line that says how many more there are.
  virtual void showBalloonTip(const char* balloon, int x, int y, const Text& text, int iconIndex,
                              bool autoClose) = 0;

  // The check mark of the menu item with this text: true shown.
  virtual bool menuChecked(const char* item) const = 0;
  virtual void setMenuChecked(const char* item, bool checked) = 0;
  // Always on top: true places the window above every window that is not on top itself and
  // keeps it there; false places it behind those that are and above all others. Either takes
  // effect at once, even unchanged, and neither moves, sizes nor activates the window.
  virtual bool alwaysOnTop() const = 0;
  virtual void setAlwaysOnTop(bool onTop) = 0;
  // The system's About box, modal to this window, with the application text in its title and
  // first line and the further text below the system's own lines, and the system's default
  // icon. Returns when the user has closed it; timers go on ticking meanwhile.
  virtual void showAboutBox(const Text& applicationText, const Text& furtherText) = 0;

  // Destroys the window: raises its will-be-destroyed event and skips the may-close one.
  virtual void destroy() = 0;
};

// The desktop: creates windows and runs the event loop.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // Creates the window from its definition, centred on the primary screen, hidden, and
  // raises its created, position-changed and size-changed events in that order, each only
  // while the window still exists. Gives nothing when the window cannot be made.
  virtual Window* createWindow(const WindowDefinition& definition) = 0;

  // --- Loading windows from other windows, and the system's message boxes ---
  // Loads a window modally and returns once it has been destroyed. The window is created as
  // createWindow does, then shown and activated with the focus where its handlers put it (else
  // on the first control of its Tab cycle); every other window of the program that has no
  // owner is disabled, and a nested event loop runs, in which timers go on ticking. The
  // windows it disabled are enabled again, each as it was, just before the window is destroyed
  // and its will-be-destroyed event runs. `owner` is only named (Window::owner). Returns at
  // once when the window cannot be made.
  virtual void loadModal(const WindowDefinition& definition, Window& owner) = 0;
  // Loads a window modelessly, owned by `owner`: it stays in front of its owner, is hidden
  // while the owner is minimised, is destroyed with it, and has no task-bar button. It is shown
  // and activated as a modal window is. Gives nothing when the window cannot be made.
  virtual Window* loadOwned(const WindowDefinition& definition, Window& owner) = 0;
  // The live window made from this definition (the same object), or nothing.
  virtual Window* openWindow(const WindowDefinition& definition) const = 0;
  // The system's question box: the text and title, the buttons Yes and No, no icon and no
  // owner; every window of the program is disabled while it is up (task-modal), and it cannot
  // be closed without an answer. True for Yes.
  virtual bool askYesNo(const Text& question, const Text& title) = 0;
  // Whether a question box is up, waiting for the user's answer.
  virtual bool askingQuestion() const = 0;
  // The system's message box for an error: the text and title, an OK button and the error
  // icon; task-modal like the question box. Returns when the user has closed it.
  virtual void showErrorMessage(const Text& message, const Text& title) = 0;

  virtual int screenWidth() const = 0;
  virtual int screenHeight() const = 0;
  // Where the mouse pointer is, or nothing when the system cannot tell (the desktop is
  // locked, say).
  virtual std::optional<Point> pointerPosition() const = 0;

  // The clipboard's text, converted to GBK, up to its first NUL; empty when the clipboard is
  // held open by another program or holds no text.
  virtual Text clipboardText() = 0;
  // Empties the clipboard of every format and puts the text there; when the clipboard is held
  // open by another program nothing changes.
  virtual void setClipboardText(const Text& text) = 0;

  // Hands the web address to the desktop's default browser, in a normal window; waits for
  // nothing and reports nothing.
  virtual void openAddress(const Text& address) = 0;

  // Runs until no window of the program is left; gives the exit code.
  virtual int runEventLoop() = 0;
  // Ends the program at once with this exit code; no window's handler runs any more.
  virtual void endProgram(int exitCode) = 0;
};

}  // namespace xiulan::toolkit
