// An in-memory desktop with the toolkit's semantics, for fast, deterministic behaviour tests.
// Tests drive it as a user drives a desktop: type, press keys, click, move windows, let time
// pass; and read what is on the screen.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace xiulan::toolkit::sim {

// Frame metrics of the simulated desktop: a fixed frame with caption and menu bar around a
// 312 x 392 client area makes the 319 x 439 outer size of the lookup window.
inline constexpr int kFixedFrameWidth = 7;
inline constexpr int kFixedFrameHeight = 27;
inline constexpr int kResizableFrameWidth = 16;
inline constexpr int kResizableFrameHeight = 39;
inline constexpr int kMenuBarHeight = 20;
// Where a minimised window stands, far outside every screen.
inline constexpr int kMinimisedPosition = -32000;
// How the simulated desktop draws a balloon: every byte of text 6 pixels wide, every line
// 16 pixels high, 4 pixels of margin around the text. Lines wrap at the screen's width less
// the margins.
inline constexpr int kBalloonByteWidth = 6;
inline constexpr int kBalloonLineHeight = 16;
inline constexpr int kBalloonMargin = 4;

// A balloon of a balloon-tip box, as it stands on the screen.
struct SimBalloon {
  bool shown = false;
  Text text;       // as the program gave it
  Text shownText;  // what the balloon shows, which is also its window text
  Point point;     // as the program gave it
  int left = 0, top = 0, width = 0, height = 0;
  int iconIndex = 0;
  bool autoClose = false;
  std::int64_t shownAt = 0;
  std::int64_t hidesAt = -1;  // -1: stays until something else hides it
  int showings = 0;           // how many balloons this box has shown
};

class SimDesktop;

struct SimControl {
  const ControlDefinition* definition = nullptr;
  Text text;
  std::vector<Text> items;
  int left = 0, top = 0, width = 0, height = 0;
  bool enabled = true;
  int period = 0;
  std::int64_t nextTick = 0;
  int ticksRaised = 0;  // timers: how many ticks have run its handler
  // Timers: resting until the pointer enters this zone (Window::restTimerUntilPointerIn), and
  // the window's moves and size when the rest began.
  std::optional<ScreenRect> restZone;
  int movesAtRest = 0, showsAtRest = 0;
  int leftAtRest = 0, topAtRest = 0, widthAtRest = 0, heightAtRest = 0;
  SimBalloon balloon;
};

class SimWindow final : public Window {
 public:
  SimWindow(SimDesktop& desktop, const WindowDefinition& definition);

  Desktop& desktop() override;
  bool exists() const override { return exists_; }
  int left() const override;
  int top() const override;
  int width() const override;
  int height() const override;
  void setLeft(int left) override;
  void setTop(int top) override;
  int clientWidth() const override;
  int clientHeight() const override;
  int visible() const override { return visible_ ? 1 : 0; }
  void setVisible(int visible) override;
  int windowState() const override;
  void setWindowState(int state) override;
  bool enabled() const override { return enabled_; }
  Window* owner() const override { return namedOwner_; }
  void placeControl(const char* control, int left, int top, int width, int height) override;
  Text text(const char* control) const override;
  void setText(const char* control, const Text& text) override;
  void appendText(const char* control, const Text& text) override;
  void addListItem(const char* control, const Text& item) override;
  std::vector<Text> listItems(const char* control) const override;
  void setFocus(const char* control) override;
  std::string focusedControl() const override { return focused_; }
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
  bool alwaysOnTop() const override { return alwaysOnTop_; }
  void setAlwaysOnTop(bool onTop) override { alwaysOnTop_ = onTop; }
  void showAboutBox(const Text& applicationText, const Text& furtherText) override;
  void destroy() override;

  // What a test may look at beyond the interface.
  const WindowDefinition& definition() const { return *definition_; }
  const SimControl& control(const char* name) const;
  bool isActive() const;
  // The user's own moves, as a drag by the caption does: raises position-changed.
  void moveTo(int left, int top);
  void setEnabled(bool enabled) { enabled_ = enabled; }
  // The window that owns this one (loaded with Desktop::loadOwned), or nothing.
  SimWindow* owningWindow() const { return owningWindow_; }
  // The user's dragging of the frame: a new outer size, raising size-changed.
  void resizeTo(int width, int height);

  // Used by the desktop.
  void raiseCreationEvents();
  void raise(Handler handler);
  void raiseTrayEvent(int type);
  // Restores a minimised window as its task-bar button does: in place, not centred.
  void restoreInPlace();
  // The icon the window has put into the notification area, if any.
  const std::optional<std::pair<Bytes, Text>>& trayIcon() const { return trayIcon_; }
  void hideBalloons();
  // Whether a tick of this timer, due now, is to run: false while the timer rests.
  bool tickRuns(SimControl& timer);
  // The process has ended: the window is gone without any of its handlers running.
  void vanish();
  SimControl& mutableControl(const char* name);
  std::vector<SimControl>& controls() { return controls_; }
  // A loaded window: its owners, set before its creation events run.
  void setOwners(Window* named, SimWindow* owning) {
    namedOwner_ = named;
    owningWindow_ = owning;
  }
  // Shows and activates a loaded window; the focus goes where the handlers put it, else to the
  // first control of the Tab cycle.
  void showLoaded();
  // A modal window keeps the windows it disabled, to enable them again as it goes.
  void holdDisabled(std::vector<SimWindow*> windows) { disabledWhileOpen_ = std::move(windows); }

 private:
  void place(int left, int top);
  // Hides the windows this one owns as it is minimised, and shows them again as it comes back.
  void showOwnedWindows(bool show);
  // Leaves the minimised state, or enters or leaves the maximised one, in place: activates the
  // window and raises position-changed and size-changed for what changed.
  void showAs(bool maximised);

  SimDesktop& desktop_;
  const WindowDefinition* definition_;
  std::vector<SimControl> controls_;
  bool exists_ = true;
  bool visible_ = false;
  bool enabled_ = true;
  bool minimised_ = false;
  bool maximised_ = false;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int moves_ = 0;  // every move, even one that a later move takes back
  int shows_ = 0;  // every showing, even one followed by hiding
  std::string focused_;
  std::optional<std::pair<Bytes, Text>> trayIcon_;  // picture and tip
  std::map<std::string, bool> menuChecks_;
  bool alwaysOnTop_ = false;
  Window* namedOwner_ = nullptr;
  SimWindow* owningWindow_ = nullptr;
  bool hiddenWithOwner_ = false;
  bool destroying_ = false;
  std::vector<SimWindow*> disabledWhileOpen_;
};

// An About box the program showed, as the user saw it.
struct SimAboutBox {
  const SimWindow* owner = nullptr;
  Text applicationText;
  Text furtherText;
  bool ownerVisible = false;  // whether its owner was on the screen meanwhile
};

// An icon in the notification area.
struct SimTrayIcon {
  const SimWindow* window = nullptr;  // stays set after the window is gone
  Bytes picture;
  Text tip;
};

// A popup menu as it was opened.
struct SimPopUp {
  const SimWindow* window = nullptr;
  Point corner;                    // its top-left corner
  std::vector<std::string> items;  // texts; a separator reads "-"
};

// A message box as the program showed it.
struct SimMessageBox {
  Text text;
  Text title;
  friend bool operator==(const SimMessageBox&, const SimMessageBox&) = default;
};

// What another program does with the clipboard while it holds it open.
enum class ClipboardHold {
  Now,            // it holds the clipboard open from now on
  AfterNextRead,  // it opens the clipboard right after the program's next read has closed it
};

class SimDesktop final : public Desktop {
 public:
  SimDesktop(int screenWidth = 1920, int screenHeight = 1080);
  ~SimDesktop() override;

  Window* createWindow(const WindowDefinition& definition) override;
  void loadModal(const WindowDefinition& definition, Window& owner) override;
  Window* loadOwned(const WindowDefinition& definition, Window& owner) override;
  Window* openWindow(const WindowDefinition& definition) const override;
  bool askYesNo(const Text& question, const Text& title) override;
  bool askingQuestion() const override { return askingQuestion_; }
  void showErrorMessage(const Text& message, const Text& title) override;
  int screenWidth() const override { return screenWidth_; }
  int screenHeight() const override { return screenHeight_; }
  int runEventLoop() override;

  // --- driving the desktop, as a user would ---
  // Keys go to the active window of the program unless another program is active; a
  // registered hotkey is taken by its registration whichever program is active.
  void pressKey(int virtualKey, bool shift = false);
  void typeText(const Text& text);
  void clickButton(SimWindow& window, const char* button);
  void clickCloseButton(SimWindow& window);
  void clickMinimiseButton(SimWindow& window);
  // Clicking a window's task-bar button restores it when minimised, minimises it when it is
  // the active window, and activates it otherwise.
  void clickTaskbarButton(SimWindow& window);
  // A mouse click on a control: the control takes the focus if it can.
  void clickControl(SimWindow& window, const char* control);
  void turnMouseWheel(SimWindow& window);
  void clickBalloon(SimWindow& window, const char* balloon);
  void movePointer(int x, int y);
  // The system cannot tell where the pointer is, as while the desktop is locked.
  void losePointer() { pointerKnown_ = false; }
  void activateOtherProgram();
  void advanceTime(std::int64_t milliseconds);
  // Another program holds this key, so the program cannot register it.
  void holdHotkeyInOtherProgram(int modifiers, int virtualKey);
  // The picture that the program file carries as its icon (the window icon of every window).
  void setProgramIcon(Bytes iconFile) { programIcon_ = std::move(iconFile); }

  // The notification area. A double click on an icon delivers what the system delivers: the
  // first release, the double click, the second release.
  void clickTrayIcon(const SimWindow& window);
  void doubleClickTrayIcon(const SimWindow& window);
  void rightClickTrayIcon(const SimWindow& window);
  // The notification area starts afresh, empty; programs put their icons back.
  void restartNotificationArea();
  // What the user does in the next popup menu: choose the item with this text, or nothing
  // (an empty text) to close the menu unchosen.
  void chooseInNextPopUp(std::string item) { nextPopUpChoice_ = std::move(item); }

  // Windows loaded by other windows, and message boxes. A modal window's nested event loop is
  // what the user does while it is up: the next window loaded modally runs these actions once
  // it is shown, and the user must have closed it by their end.
  void onNextModalWindow(std::function<void(SimWindow&)> userActions);
  // The user's answer to the next question box: Yes (true) or No.
  void answerNextQuestion(bool yes) { answers_.push_back(yes); }
  // What the user does while the next question box is up, before answering it.
  void whileNextQuestionIsUp(std::function<void()> action) { duringQuestion_ = std::move(action); }
  const std::vector<SimMessageBox>& questions() const { return questions_; }
  const std::vector<SimMessageBox>& errorMessages() const { return errorMessages_; }
  // A key pressed with Ctrl held down, in the active window: a menu item's shortcut.
  void pressKeyWithCtrl(int virtualKey);
  // The caption's maximise button; its restore button, which a minimised window's caption
  // also has.
  void clickMaximiseButton(SimWindow& window);
  void clickRestoreButton(SimWindow& window);
  // Drags the frame of a resizable window to a new outer size.
  void dragFrame(SimWindow& window, int width, int height);

  // Other programs and the clipboard.
  void copyInOtherProgram(const Text& text);
  // Puts data without a text format on the clipboard, a picture or a list of files.
  void copyNonTextInOtherProgram(const std::string& format);
  void otherProgramOpensClipboard(ClipboardHold when);
  void otherProgramClosesClipboard() { clipboardHold_.reset(); }
  // What pasting in another program gives: the clipboard's text, or nothing without text.
  std::optional<Text> pasteInOtherProgram() const { return clipboardText_; }
  // The formats on the clipboard: "text" and those of copyNonTextInOtherProgram.
  std::vector<std::string> clipboardFormats() const;
  // How many times the program has emptied the clipboard.
  int clipboardEmptyings() const { return clipboardEmptyings_; }

  // --- reading the desktop ---
  std::int64_t now() const { return now_; }
  SimWindow* findWindow(const Text& caption) const;
  SimWindow* activeWindow() const { return active_; }
  std::vector<SimWindow*> liveWindows() const;
  bool hotkeyRegisteredTo(const SimWindow& window, const char* control, int modifiers,
                          int virtualKey) const;
  const std::vector<SimTrayIcon>& trayIcons() const { return trayArea_; }
  const std::vector<SimPopUp>& popUps() const { return popUps_; }
  bool programEnded() const { return exitCode_.has_value(); }
  std::optional<int> exitCode() const { return exitCode_; }
  const std::vector<SimAboutBox>& aboutBoxes() const { return aboutBoxes_; }
  const std::vector<Text>& openedAddresses() const { return openedAddresses_; }
  // Chooses an item of a window's menu bar with the mouse.
  void chooseMenuItem(SimWindow& window, const char* item);

  // --- the toolkit's services ---
  std::optional<Point> pointerPosition() const override;
  Text clipboardText() override;
  void setClipboardText(const Text& text) override;
  void endProgram(int exitCode) override;
  void openAddress(const Text& address) override { openedAddresses_.push_back(address); }

  // Used by windows.
  void activate(SimWindow* window) { active_ = window; }
  void windowDestroyed(SimWindow* window);
  int registerHotkey(SimWindow* window, const char* control, int modifiers, int virtualKey);
  const Bytes& programIcon() const { return programIcon_; }
  // Where the pointer was last seen, whether or not it can be read now.
  Point lastPointer() const { return pointer_; }
  void putTrayIcon(const SimWindow* window, const Bytes& picture, const Text& tip);
  void removeTrayIcon(const SimWindow* window);
  // The user's next choice in a popup menu, used up by reading it.
  std::string takePopUpChoice();
  void recordPopUp(SimPopUp popUp) { popUps_.push_back(std::move(popUp)); }
  // A mouse button, the wheel or a key used in a window of the program.
  void hideBalloons();
  void recordAboutBox(SimAboutBox box) { aboutBoxes_.push_back(std::move(box)); }

 private:
  SimWindow* makeWindow(const WindowDefinition& definition, Window* namedOwner,
                        SimWindow* owningWindow);

  struct Hotkey {
    SimWindow* window = nullptr;  // nullptr: another program's
    std::string control;
    int id = 0;
  };

  int screenWidth_;
  int screenHeight_;
  std::int64_t now_ = 0;
  std::vector<std::unique_ptr<SimWindow>> windows_;
  SimWindow* active_ = nullptr;
  std::map<std::pair<int, int>, Hotkey> hotkeys_;
  int nextHotkeyId_ = 1;
  Bytes programIcon_;
  Point pointer_{};
  bool pointerKnown_ = true;
  std::vector<SimTrayIcon> trayArea_;
  std::string nextPopUpChoice_;
  std::vector<SimPopUp> popUps_;
  std::optional<Text> clipboardText_;
  std::vector<std::string> clipboardOtherFormats_;
  std::optional<ClipboardHold> clipboardHold_;
  int clipboardEmptyings_ = 0;
  std::optional<int> exitCode_;
  std::vector<SimAboutBox> aboutBoxes_;
  std::vector<Text> openedAddresses_;
  std::deque<std::function<void(SimWindow&)>> modalActions_;
  std::deque<bool> answers_;
  std::vector<SimMessageBox> questions_;
  std::vector<SimMessageBox> errorMessages_;
  bool askingQuestion_ = false;
  std::function<void()> duringQuestion_;
};

}  // namespace xiulan::toolkit::sim
