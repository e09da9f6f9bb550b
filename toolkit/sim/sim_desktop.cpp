#include "toolkit/sim/sim_desktop.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace xiulan::toolkit::sim {
namespace {

constexpr int kPositionLimit = 32627;
constexpr int kVirtualKeyTab = 0x09;
constexpr int kVirtualKeyReturn = 0x0D;
constexpr int kVirtualKeyEscape = 0x1B;

int clampPosition(int value) { return std::clamp(value, -kPositionLimit, kPositionLimit); }

bool takesEnter(const ControlDefinition& control) {
  return control.kind == ControlKind::Edit && control.multiline && !control.readOnly &&
         control.wantReturn;
}

bool takesTyping(const ControlDefinition& control) {
  return (control.kind == ControlKind::Edit && !control.readOnly) ||
         control.kind == ControlKind::ComboBox;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// SimWindow

SimWindow::SimWindow(SimDesktop& desktop, const WindowDefinition& definition)
    : desktop_(desktop), definition_(&definition) {
  width_ = definition.width;
  height_ = definition.height;
  left_ = (desktop.screenWidth() - width_) / 2;
  top_ = (desktop.screenHeight() - height_) / 2;
  for (const ControlDefinition& control : definition.controls) {
    SimControl live;
    live.definition = &control;
    live.text = control.text;
    live.left = control.left;
    live.top = control.top;
    live.width = control.width;
    live.height = control.height;
    live.period = std::max(0, control.period);
    live.nextTick = live.period > 0 ? desktop.now() + live.period : 0;
    controls_.push_back(std::move(live));
  }
}

Desktop& SimWindow::desktop() { return desktop_; }

int SimWindow::left() const { return minimised_ ? kMinimisedPosition : left_; }
int SimWindow::top() const { return minimised_ ? kMinimisedPosition : top_; }

void SimWindow::place(int left, int top) {
  const int oldLeft = this->left();
  const int oldTop = this->top();
  left_ = left;
  top_ = top;
  if (this->left() != oldLeft || this->top() != oldTop) raise(definition_->onPositionChanged);
}

void SimWindow::setLeft(int left) {
  if (minimised_) return;
  place(clampPosition(left), top_);
}

void SimWindow::setTop(int top) {
  if (minimised_) return;
  place(left_, clampPosition(top));
}

void SimWindow::moveTo(int left, int top) {
  if (minimised_) return;
  place(clampPosition(left), clampPosition(top));
}

int SimWindow::clientWidth() const {
  if (minimised_) return 0;
  const bool resizable = definition_->border == Border::Resizable;
  return width_ - (resizable ? kResizableFrameWidth : kFixedFrameWidth);
}

int SimWindow::clientHeight() const {
  if (minimised_) return 0;
  const bool resizable = definition_->border == Border::Resizable;
  return height_ - (resizable ? kResizableFrameHeight : kFixedFrameHeight) -
         (definition_->menu.empty() ? 0 : kMenuBarHeight);
}

void SimWindow::setVisible(int visible) {
  if (visible != 0) {
    visible_ = true;
    desktop_.activate(this);
  } else {
    visible_ = false;
    if (isActive()) desktop_.activate(nullptr);
  }
}

int SimWindow::windowState() const {
  if (minimised_) return kStateMinimised;
  if (maximised_) return kStateMaximised;
  return kStateNormal;
}

void SimWindow::setWindowState(int state) {
  state = std::clamp(state, 0, 3);
  if (!visible_) return;
  switch (state) {
    case kStateNormal:
      desktop_.activate(this);
      break;
    case kStateRestoreAndCentre: {
      if (minimised_ || maximised_) {
        const int oldLeft = left();
        const int oldTop = top();
        minimised_ = false;
        maximised_ = false;
        desktop_.activate(this);
        if (left() != oldLeft || top() != oldTop) raise(definition_->onPositionChanged);
        raise(definition_->onSizeChanged);
        if (!exists_) return;
      }
      const int centredLeft = (desktop_.screenWidth() - width_) / 2;
      const int centredTop = (desktop_.screenHeight() - height_) / 2;
      if (centredLeft != left_ || centredTop != top_) place(centredLeft, centredTop);
      break;
    }
    case kStateMinimised:
      if (!minimised_) {
        minimised_ = true;
        if (isActive()) desktop_.activate(nullptr);
        raise(definition_->onPositionChanged);
        raise(definition_->onSizeChanged);
      }
      break;
    case kStateMaximised:
      // None of the program's windows that can be maximised depend on its geometry here.
      maximised_ = true;
      minimised_ = false;
      raise(definition_->onSizeChanged);
      break;
  }
}

const SimControl& SimWindow::control(const char* name) const {
  for (const SimControl& control : controls_) {
    if (std::strcmp(control.definition->name, name) == 0) return control;
  }
  throw std::out_of_range(std::string("no control named ") + name);
}

SimControl& SimWindow::mutableControl(const char* name) {
  return const_cast<SimControl&>(std::as_const(*this).control(name));
}

Text SimWindow::text(const char* control) const { return this->control(control).text; }

void SimWindow::setText(const char* control, const Text& text) {
  mutableControl(control).text = text;
}

void SimWindow::appendText(const char* control, const Text& text) {
  SimControl& live = mutableControl(control);
  live.text = concatText(live.text, text);
}

void SimWindow::addListItem(const char* control, const Text& item) {
  mutableControl(control).items.push_back(item);
}

std::vector<Text> SimWindow::listItems(const char* control) const {
  return this->control(control).items;
}

void SimWindow::setFocus(const char* control) {
  this->control(control);  // must exist
  focused_ = control;
}

int SimWindow::timerPeriod(const char* timer) const { return control(timer).period; }

void SimWindow::setTimerPeriod(const char* timer, int period) {
  SimControl& live = mutableControl(timer);
  period = std::max(0, period);
  if (period == live.period) return;
  live.period = period;
  live.nextTick = period > 0 ? desktop_.now() + period : 0;
}

int SimWindow::registerHotkey(const char* control, int modifiers, int virtualKey) {
  this->control(control);
  return desktop_.registerHotkey(this, control, modifiers, virtualKey);
}

void SimWindow::destroy() {
  if (!exists_) return;
  raise(definition_->onDestroying);
  exists_ = false;
  visible_ = false;
  desktop_.windowDestroyed(this);
}

bool SimWindow::isActive() const { return desktop_.activeWindow() == this; }

void SimWindow::raiseCreationEvents() {
  raise(definition_->onCreated);
  if (exists_) raise(definition_->onPositionChanged);
  if (exists_) raise(definition_->onSizeChanged);
}

void SimWindow::raise(Handler handler) {
  if (handler && exists_) handler(*this);
}

// ---------------------------------------------------------------------------------------------
// SimDesktop

SimDesktop::SimDesktop(int screenWidth, int screenHeight)
    : screenWidth_(screenWidth), screenHeight_(screenHeight) {}

SimDesktop::~SimDesktop() = default;

Window* SimDesktop::createWindow(const WindowDefinition& definition) {
  windows_.push_back(std::make_unique<SimWindow>(*this, definition));
  SimWindow* window = windows_.back().get();
  window->raiseCreationEvents();
  return window;
}

int SimDesktop::runEventLoop() {
  // Everything a user does is driven by the test; the loop itself has nothing left to wait
  // for once the last window is gone.
  if (!liveWindows().empty()) {
    throw std::logic_error("the simulated event loop runs only after the last window closed");
  }
  return 0;
}

std::vector<SimWindow*> SimDesktop::liveWindows() const {
  std::vector<SimWindow*> live;
  for (const auto& window : windows_) {
    if (window->exists()) live.push_back(window.get());
  }
  return live;
}

SimWindow* SimDesktop::findWindow(const Text& caption) const {
  for (const auto& window : windows_) {
    if (window->exists() && window->definition().caption == caption) return window.get();
  }
  return nullptr;
}

void SimDesktop::windowDestroyed(SimWindow* window) {
  if (active_ == window) active_ = nullptr;
  for (auto it = hotkeys_.begin(); it != hotkeys_.end();) {
    it = it->second.window == window ? hotkeys_.erase(it) : std::next(it);
  }
}

int SimDesktop::registerHotkey(SimWindow* window, const char* control, int modifiers,
                               int virtualKey) {
  const auto key = std::make_pair(modifiers, virtualKey);
  if (hotkeys_.contains(key)) return 0;
  const int id = nextHotkeyId_++;
  hotkeys_[key] = Hotkey{window, control, id};
  return id;
}

bool SimDesktop::hotkeyRegisteredTo(const SimWindow& window, const char* control, int modifiers,
                                    int virtualKey) const {
  const auto it = hotkeys_.find({modifiers, virtualKey});
  return it != hotkeys_.end() && it->second.window == &window && it->second.control == control;
}

void SimDesktop::holdHotkeyInOtherProgram(int modifiers, int virtualKey) {
  hotkeys_[std::make_pair(modifiers, virtualKey)] = Hotkey{nullptr, "", 0};
}

void SimDesktop::activateOtherProgram() { active_ = nullptr; }

void SimDesktop::pressKey(int virtualKey, bool shift) {
  if (!shift) {
    if (auto it = hotkeys_.find({0, virtualKey}); it != hotkeys_.end()) {
      const Hotkey& hotkey = it->second;
      if (hotkey.window) {
        SimWindow& window = *hotkey.window;
        window.raise(window.control(hotkey.control.c_str()).definition->onEvent);
      }
      return;  // a registered key never reaches the focused program
    }
  }
  SimWindow* window = active_;
  if (!window || !window->enabled()) return;
  const WindowDefinition& definition = window->definition();
  const std::string focused = window->focusedControl();
  const ControlDefinition* focusedDefinition =
      focused.empty() ? nullptr : window->control(focused.c_str()).definition;

  switch (virtualKey) {
    case kVirtualKeyTab: {
      // The cycle runs from the last control of the definition towards the first.
      std::vector<const char*> cycle;
      for (auto it = window->controls().rbegin(); it != window->controls().rend(); ++it) {
        const ControlDefinition& control = *it->definition;
        if (control.tabStop && control.shown && it->enabled) cycle.push_back(control.name);
      }
      if (cycle.empty()) return;
      auto at = std::find_if(cycle.begin(), cycle.end(),
                             [&](const char* name) { return focused == name; });
      std::size_t index = 0;
      if (at != cycle.end()) {
        const std::size_t current = static_cast<std::size_t>(at - cycle.begin());
        index = shift ? (current + cycle.size() - 1) % cycle.size() : (current + 1) % cycle.size();
      }
      window->setFocus(cycle[index]);
      return;
    }
    case kVirtualKeyReturn:
      if (focusedDefinition && takesEnter(*focusedDefinition)) {
        window->appendText(focused.c_str(), "\r\n");
        return;
      }
      for (const SimControl& control : window->controls()) {
        if (control.definition->defaultButton && control.enabled) {
          window->raise(control.definition->onEvent);
          return;
        }
      }
      return;
    case kVirtualKeyEscape:
      if (definition.escCloses) window->destroy();
      return;
    default:
      return;
  }
}

void SimDesktop::typeText(const Text& text) {
  SimWindow* window = active_;
  if (!window || !window->enabled()) return;
  const std::string focused = window->focusedControl();
  if (focused.empty()) return;
  if (takesTyping(*window->control(focused.c_str()).definition)) {
    window->appendText(focused.c_str(), text);
  }
}

void SimDesktop::clickButton(SimWindow& window, const char* button) {
  const SimControl& control = window.control(button);
  if (!window.exists() || !window.visible() || !window.enabled() || !control.enabled ||
      !control.definition->shown) {
    return;
  }
  activate(&window);
  window.setFocus(button);
  window.raise(control.definition->onEvent);
}

void SimDesktop::clickCloseButton(SimWindow& window) {
  if (window.exists() && window.visible() && window.enabled()) window.destroy();
}

void SimDesktop::advanceTime(std::int64_t milliseconds) {
  const std::int64_t end = now_ + milliseconds;
  for (;;) {
    // The next due tick of any timer of any live window, in time order.
    SimWindow* dueWindow = nullptr;
    SimControl* dueTimer = nullptr;
    std::int64_t dueAt = std::numeric_limits<std::int64_t>::max();
    for (SimWindow* window : liveWindows()) {
      for (SimControl& control : window->controls()) {
        if (control.definition->kind == ControlKind::Timer && control.period > 0 &&
            control.nextTick < dueAt) {
          dueAt = control.nextTick;
          dueWindow = window;
          dueTimer = &control;
        }
      }
    }
    if (!dueTimer || dueAt > end) break;
    now_ = dueAt;
    dueTimer->nextTick = dueAt + dueTimer->period;
    dueWindow->raise(dueTimer->definition->onEvent);
  }
  now_ = end;
}

}  // namespace xiulan::toolkit::sim
