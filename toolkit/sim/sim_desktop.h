// An in-memory desktop with the toolkit's semantics, for fast, deterministic behaviour tests.
// Tests drive it as a user drives a desktop: type, press keys, click, move windows, let time
// pass; and read what is on the screen.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
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

class SimDesktop;

struct SimControl {
  const ControlDefinition* definition = nullptr;
  Text text;
  std::vector<Text> items;
  int left = 0, top = 0, width = 0, height = 0;
  bool enabled = true;
  int period = 0;
  std::int64_t nextTick = 0;
};

class SimWindow final : public Window {
 public:
  SimWindow(SimDesktop& desktop, const WindowDefinition& definition);

  Desktop& desktop() override;
  bool exists() const override { return exists_; }
  int left() const override;
  int top() const override;
  int width() const override { return width_; }
  int height() const override { return height_; }
  void setLeft(int left) override;
  void setTop(int top) override;
  int clientWidth() const override;
  int clientHeight() const override;
  int visible() const override { return visible_ ? 1 : 0; }
  void setVisible(int visible) override;
  int windowState() const override;
  void setWindowState(int state) override;
  bool enabled() const override { return enabled_; }
  Text text(const char* control) const override;
  void setText(const char* control, const Text& text) override;
  void appendText(const char* control, const Text& text) override;
  void addListItem(const char* control, const Text& item) override;
  std::vector<Text> listItems(const char* control) const override;
  void setFocus(const char* control) override;
  std::string focusedControl() const override { return focused_; }
  int timerPeriod(const char* timer) const override;
  void setTimerPeriod(const char* timer, int period) override;
  int registerHotkey(const char* control, int modifiers, int virtualKey) override;
  void destroy() override;

  // What a test may look at beyond the interface.
  const WindowDefinition& definition() const { return *definition_; }
  const SimControl& control(const char* name) const;
  bool isActive() const;
  // The user's own moves, as a drag by the caption does: raises position-changed.
  void moveTo(int left, int top);
  void setEnabled(bool enabled) { enabled_ = enabled; }

  // Used by the desktop.
  void raiseCreationEvents();
  void raise(Handler handler);
  SimControl& mutableControl(const char* name);
  std::vector<SimControl>& controls() { return controls_; }

 private:
  void place(int left, int top);

  SimDesktop& desktop_;
  const WindowDefinition* definition_;
  std::vector<SimControl> controls_;
  bool exists_ = true;
  bool visible_ = false;
  bool enabled_ = true;
  bool minimised_ = false;
  bool maximised_ = false;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string focused_;
};

class SimDesktop final : public Desktop {
 public:
  SimDesktop(int screenWidth = 1920, int screenHeight = 1080);
  ~SimDesktop() override;

  Window* createWindow(const WindowDefinition& definition) override;
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
  void activateOtherProgram();
  void advanceTime(std::int64_t milliseconds);
  // Another program holds this key, so the program cannot register it.
  void holdHotkeyInOtherProgram(int modifiers, int virtualKey);

  // --- reading the desktop ---
  std::int64_t now() const { return now_; }
  SimWindow* findWindow(const Text& caption) const;
  SimWindow* activeWindow() const { return active_; }
  std::vector<SimWindow*> liveWindows() const;
  bool hotkeyRegisteredTo(const SimWindow& window, const char* control, int modifiers,
                          int virtualKey) const;

  // Used by windows.
  void activate(SimWindow* window) { active_ = window; }
  void windowDestroyed(SimWindow* window);
  int registerHotkey(SimWindow* window, const char* control, int modifiers, int virtualKey);

 private:
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
};

}  // namespace xiulan::toolkit::sim
