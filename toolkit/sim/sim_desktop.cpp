#include "toolkit/sim/sim_desktop.h"

#include "toolkit/balloon_layout.h"
#include "toolkit/menu_shortcut.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace xiulan::toolkit::sim {
namespace {

constexpr int kPositionLimit = 32627;
constexpr int kVirtualKeyBack = 0x08;
constexpr int kVirtualKeyTab = 0x09;
constexpr int kVirtualKeyReturn = 0x0D;
constexpr int kVirtualKeyEscape = 0x1B;

int clampPosition(int value) {
  return std::clamp(value, -kPositionLimit, kPositionLimit);
}

bool takesEnter(const ControlDefinition& control) {
  return control.kind == ControlKind::Edit && control.multiline && !control.readOnly &&
         control.wantReturn;
}

bool takesTyping(const ControlDefinition& control) {
  return (control.kind == ControlKind::Edit && !control.readOnly) ||
         control.kind == ControlKind::ComboBox;
}

bool takesFocus(const ControlDefinition& control) {
  return control.kind == ControlKind::Edit || control.kind == ControlKind::ComboBox ||
         control.kind == ControlKind::Button;
}

unsigned readLittleEndian(const Bytes& bytes, std::size_t at, std::size_t size) {
  unsigned value = 0;
  for (std::size_t i = size; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Whether the bytes are an icon file whose first picture lies within them, which is what the
// system needs to make an icon of them.
bool makesPicture(const Bytes& iconFile) {
  constexpr std::size_t kHeader = 6, kEntry = 16;
  if (iconFile.size() < kHeader + kEntry)
    return false;
  if (readLittleEndian(iconFile, 0, 2) != 0 || readLittleEndian(iconFile, 2, 2) != 1 ||
      readLittleEndian(iconFile, 4, 2) == 0) {
    return false;
  }
  const std::size_t size = readLittleEndian(iconFile, kHeader + 8, 4);
  const std::size_t offset = readLittleEndian(iconFile, kHeader + 12, 4);
  return size > 0 && offset >= kHeader + kEntry && offset <= iconFile.size() &&
         size <= iconFile.size() - offset;
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

Desktop& SimWindow::desktop() {
  return desktop_;
}

// A maximised window covers the whole screen; its normal place and size are kept for its
// restoring.
int SimWindow::left() const {
  return minimised_ ? kMinimisedPosition : maximised_ ? 0 : left_;
}
int SimWindow::top() const {
  return minimised_ ? kMinimisedPosition : maximised_ ? 0 : top_;
}
int SimWindow::width() const {
  return maximised_ && !minimised_ ? desktop_.screenWidth() : width_;
}
int SimWindow::height() const {
  return maximised_ && !minimised_ ? desktop_.screenHeight() : height_;
}

void SimWindow::place(int left, int top) {
  const int oldLeft = this->left();
  const int oldTop = this->top();
  left_ = left;
  top_ = top;
  if (this->left() != oldLeft || this->top() != oldTop) {
    ++moves_;
    raise(definition_->onPositionChanged);
  }
}

void SimWindow::setLeft(int left) {
  if (minimised_)
    return;
  place(clampPosition(left), top_);
}

void SimWindow::setTop(int top) {
  if (minimised_)
    return;
  place(left_, clampPosition(top));
}

void SimWindow::moveTo(int left, int top) {
  if (minimised_)
    return;
  place(clampPosition(left), clampPosition(top));
}

int SimWindow::clientWidth() const {
  if (minimised_)
    return 0;
  const bool resizable = definition_->border == Border::Resizable;
  return width() - (resizable ? kResizableFrameWidth : kFixedFrameWidth);
}

int SimWindow::clientHeight() const {
  if (minimised_)
    return 0;
  const bool resizable = definition_->border == Border::Resizable;
  return height() - (resizable ? kResizableFrameHeight : kFixedFrameHeight) -
         (definition_->menu.empty() ? 0 : kMenuBarHeight);
}

void SimWindow::setVisible(int visible) {
  if (visible != 0) {
    visible_ = true;
    ++shows_;
    desktop_.activate(this);
  } else {
    visible_ = false;
    if (isActive())
      desktop_.activate(nullptr);
  }
}

int SimWindow::windowState() const {
  if (minimised_)
    return kStateMinimised;
  if (maximised_)
    return kStateMaximised;
  return kStateNormal;
}

void SimWindow::setWindowState(int state) {
  state = std::clamp(state, 0, 3);
  if (!visible_)
    return;
  switch (state) {
    case kStateNormal:
      if (minimised_ || maximised_) {
        showAs(false);
      } else {
        desktop_.activate(this);
      }
      break;
    case kStateRestoreAndCentre: {
      if (minimised_ || maximised_) {
        const int oldLeft = left();
        const int oldTop = top();
        if (minimised_)
          showOwnedWindows(true);
        minimised_ = false;
        maximised_ = false;
        desktop_.activate(this);
        if (left() != oldLeft || top() != oldTop)
          raise(definition_->onPositionChanged);
        raise(definition_->onSizeChanged);
        if (!exists_)
          return;
      }
      const int centredLeft = (desktop_.screenWidth() - width_) / 2;
      const int centredTop = (desktop_.screenHeight() - height_) / 2;
      if (centredLeft != left_ || centredTop != top_)
        place(centredLeft, centredTop);
      break;
    }
    case kStateMinimised:
      if (!minimised_) {
        minimised_ = true;
        showOwnedWindows(false);
        if (isActive())
          desktop_.activate(nullptr);
        raise(definition_->onPositionChanged);
        raise(definition_->onSizeChanged);
      }
      break;
    case kStateMaximised:
      if (!maximised_ || minimised_)
        showAs(true);
      break;
  }
}

const SimControl& SimWindow::control(const char* name) const {
  for (const SimControl& control : controls_) {
    if (std::strcmp(control.definition->name, name) == 0)
      return control;
  }
  throw std::out_of_range(std::string("no control named ") + name);
}

SimControl& SimWindow::mutableControl(const char* name) {
  return const_cast<SimControl&>(std::as_const(*this).control(name));
}

void SimWindow::showAs(bool maximised) {
  const int oldLeft = left();
  const int oldTop = top();
  const int oldWidth = clientWidth();
  const int oldHeight = clientHeight();
  const bool wasMinimised = minimised_;
  minimised_ = false;
  maximised_ = maximised;
  desktop_.activate(this);
  if (wasMinimised)
    showOwnedWindows(true);
  if (left() != oldLeft || top() != oldTop)
    raise(definition_->onPositionChanged);
  if (exists_ && (wasMinimised || clientWidth() != oldWidth || clientHeight() != oldHeight)) {
    raise(definition_->onSizeChanged);
  }
}

void SimWindow::showOwnedWindows(bool show) {
  for (SimWindow* window : desktop_.liveWindows()) {
    if (window->owningWindow_ != this)
      continue;
    if (!show && window->visible_) {
      window->visible_ = false;
      window->hiddenWithOwner_ = true;
      if (window->isActive())
        desktop_.activate(nullptr);
    } else if (show && window->hiddenWithOwner_) {
      window->visible_ = true;
      window->hiddenWithOwner_ = false;
    }
  }
}

void SimWindow::resizeTo(int width, int height) {
  if (width == width_ && height == height_)
    return;
  width_ = width;
  height_ = height;
  raise(definition_->onSizeChanged);
}

void SimWindow::showLoaded() {
  visible_ = true;
  desktop_.activate(this);
  if (!focused_.empty())
    return;
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    const ControlDefinition& control = *it->definition;
    if (control.tabStop && control.shown && it->enabled) {
      focused_ = control.name;
      return;
    }
  }
}

void SimWindow::placeControl(const char* control, int left, int top, int width, int height) {
  SimControl& live = mutableControl(control);
  live.left = left;
  live.top = top;
  live.width = width;
  live.height = height;
}

Text SimWindow::text(const char* control) const {
  return this->control(control).text;
}

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

int SimWindow::timerPeriod(const char* timer) const {
  return control(timer).period;
}

void SimWindow::setTimerPeriod(const char* timer, int period) {
  SimControl& live = mutableControl(timer);
  period = std::max(0, period);
  if (period == live.period)
    return;
  live.period = period;
  live.nextTick = period > 0 ? desktop_.now() + period : 0;
  live.restZone.reset();
}

void SimWindow::restTimerUntilPointerIn(const char* timer, ScreenRect zone) {
  SimControl& live = mutableControl(timer);
  if (live.period == 0 || visible_)
    return;
  live.restZone = zone;
  live.movesAtRest = moves_;
  live.showsAtRest = shows_;
  live.leftAtRest = left();
  live.topAtRest = top();
  live.widthAtRest = width();
  live.heightAtRest = height();
}

bool SimWindow::tickRuns(SimControl& timer) {
  if (timer.restZone) {
    const std::optional<Point> pointer = desktop_.pointerPosition();
    const bool unchanged = !visible_ && moves_ == timer.movesAtRest &&
                           shows_ == timer.showsAtRest && left() == timer.leftAtRest &&
                           top() == timer.topAtRest && width() == timer.widthAtRest &&
                           height() == timer.heightAtRest;
    if (unchanged && !(pointer && timer.restZone->contains(*pointer)))
      return false;
    timer.restZone.reset();
  }
  ++timer.ticksRaised;
  return true;
}

int SimWindow::registerHotkey(const char* control, int modifiers, int virtualKey) {
  this->control(control);
  return desktop_.registerHotkey(this, control, modifiers, virtualKey);
}

Bytes SimWindow::iconBytes() const {
  return exists_ ? desktop_.programIcon() : Bytes();
}

void SimWindow::setTrayIcon(const Bytes& iconFile, const Text& tip) {
  if (!exists_)
    return;
  if (!makesPicture(iconFile)) {
    trayIcon_.reset();
    desktop_.removeTrayIcon(this);
    return;
  }
  const Text kept(tip.bytes().substr(0, kTrayTipBytes));
  trayIcon_.emplace(iconFile, kept);
  desktop_.putTrayIcon(this, iconFile, kept);
}

void SimWindow::popUpMenu(const char* menu) {
  if (!exists_)
    return;
  const auto& items = definition_->menu;
  auto bar = std::find_if(items.begin(), items.end(), [&](const MenuItemDefinition& item) {
    return item.level == 0 && std::strcmp(item.text, menu) == 0;
  });
  if (bar == items.end())
    return;
  SimPopUp popUp;
  popUp.window = this;
  // Where the pointer was last seen: the menu opens there even when it cannot be read now.
  const Point pointer = desktop_.lastPointer();
  popUp.corner = {pointer.x + 3, pointer.y + 3};
  std::vector<const MenuItemDefinition*> entries;
  for (auto item = bar + 1; item != items.end() && item->level != 0; ++item) {
    popUp.items.push_back(item->separator ? "-" : item->text);
    entries.push_back(&*item);
  }
  desktop_.recordPopUp(popUp);
  // Choosing an item, or closing the menu with a click or Esc, is input in the program.
  desktop_.hideBalloons();
  const std::string choice = desktop_.takePopUpChoice();
  for (const MenuItemDefinition* entry : entries) {
    if (!entry->separator && !choice.empty() && choice == entry->text) {
      raise(entry->onSelect);
      return;
    }
  }
}

bool SimWindow::menuChecked(const char* item) const {
  const auto it = menuChecks_.find(item);
  return it != menuChecks_.end() && it->second;
}

void SimWindow::setMenuChecked(const char* item, bool checked) {
  const auto& items = definition_->menu;
  const bool known = std::any_of(items.begin(), items.end(), [&](const MenuItemDefinition& entry) {
    return !entry.separator && std::strcmp(entry.text, item) == 0;
  });
  if (!known)
    throw std::out_of_range(std::string("no menu item ") + item);
  menuChecks_[item] = checked;
}

void SimWindow::showAboutBox(const Text& applicationText, const Text& furtherText) {
  // The user reads the box and closes it; the program waits meanwhile.
  desktop_.recordAboutBox({this, applicationText, furtherText, visible_});
}

void SimWindow::showBalloonTip(const char* balloon, int x, int y, const Text& text, int iconIndex,
                               bool autoClose) {
  SimControl& box = mutableControl(balloon);
  if (!exists_ || box.definition->kind != ControlKind::BalloonTip)
    return;
  const int screenWidth = desktop_.screenWidth();
  const int screenHeight = desktop_.screenHeight();
  const int wrapWidth = std::max(kBalloonByteWidth, screenWidth - 2 * kBalloonMargin);
  const auto lineWidth = [](std::string_view line) {
    return static_cast<int>(line.size()) * kBalloonByteWidth;
  };
  const auto lineHeight = [&](std::string_view line) {
    const int rows = std::max(1, (lineWidth(line) + wrapWidth - 1) / wrapWidth);
    return rows * kBalloonLineHeight;
  };
  SimBalloon& shown = box.balloon;
  shown.text = text;
  shown.shownText = fitBalloonText(text, screenHeight - 2 * kBalloonMargin, lineHeight);
  int textWidth = 0;
  int textHeight = 0;
  for (const Text& line : splitText(shown.shownText, "\r\n")) {
    textWidth = std::max(textWidth, std::min(wrapWidth, lineWidth(line.bytes())));
    textHeight += lineHeight(line.bytes());
  }
  shown.width = textWidth + 2 * kBalloonMargin;
  shown.height = std::max(textHeight, kBalloonLineHeight) + 2 * kBalloonMargin;
  const BalloonPlace place =
      placeBalloon(x, y, shown.width, shown.height, Rect{0, 0, screenWidth, screenHeight});
  shown.left = place.left;
  shown.top = place.top;
  shown.point = {x, y};
  shown.iconIndex = iconIndex;
  shown.autoClose = autoClose;
  shown.shown = true;
  shown.shownAt = desktop_.now();
  shown.hidesAt = autoClose ? desktop_.now() + box.definition->balloonDisplayMs : -1;
  ++shown.showings;
}

void SimWindow::hideBalloons() {
  for (SimControl& control : controls_)
    control.balloon.shown = false;
}

void SimWindow::destroy() {
  if (!exists_ || destroying_)
    return;
  destroying_ = true;
  // A modal window gives the windows it disabled back first, so that one of them, not some
  // other program, becomes active as it goes; then the windows it owns go before it does.
  for (SimWindow* window : std::exchange(disabledWhileOpen_, {})) {
    if (window->exists())
      window->setEnabled(true);
  }
  for (SimWindow* window : desktop_.liveWindows()) {
    if (window->owningWindow_ == this)
      window->destroy();
  }
  const bool wasActive = isActive();
  raise(definition_->onDestroying);
  exists_ = false;
  visible_ = false;
  hideBalloons();
  trayIcon_.reset();
  desktop_.removeTrayIcon(this);
  desktop_.windowDestroyed(this);
  // The system activates the owner of an active window that goes.
  auto* next = owningWindow_ ? owningWindow_ : static_cast<SimWindow*>(namedOwner_);
  if (wasActive && next && next->exists() && next->visible() && next->enabled() &&
      !next->minimised_ && !desktop_.activeWindow()) {
    desktop_.activate(next);
  }
}

void SimWindow::vanish() {
  exists_ = false;
  visible_ = false;
  hideBalloons();
  desktop_.windowDestroyed(this);
}

void SimWindow::restoreInPlace() {
  if (!exists_ || !minimised_)
    return;
  minimised_ = false;
  showOwnedWindows(true);
  desktop_.activate(this);
  raise(definition_->onPositionChanged);
  raise(definition_->onSizeChanged);
}

void SimWindow::raiseTrayEvent(int type) {
  if (definition_->onTrayEvent && exists_)
    definition_->onTrayEvent(*this, type);
}

bool SimWindow::isActive() const {
  return desktop_.activeWindow() == this;
}

void SimWindow::raiseCreationEvents() {
  raise(definition_->onCreated);
  if (exists_)
    raise(definition_->onPositionChanged);
  if (exists_)
    raise(definition_->onSizeChanged);
}

void SimWindow::raise(Handler handler) {
  if (handler && exists_)
    handler(*this);
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

SimWindow* SimDesktop::makeWindow(const WindowDefinition& definition, Window* namedOwner,
                                  SimWindow* owningWindow) {
  windows_.push_back(std::make_unique<SimWindow>(*this, definition));
  SimWindow* window = windows_.back().get();
  window->setOwners(namedOwner, owningWindow);
  window->raiseCreationEvents();
  return window;
}

void SimDesktop::loadModal(const WindowDefinition& definition, Window& owner) {
  if (modalActions_.empty()) {
    throw std::logic_error("a modal window opened, and the test did not say what the user does");
  }
  std::function<void(SimWindow&)> userActions = std::move(modalActions_.front());
  modalActions_.pop_front();
  SimWindow* window = makeWindow(definition, &owner, nullptr);
  if (!window->exists())
    return;
  window->showLoaded();
  std::vector<SimWindow*> disabled;
  for (SimWindow* other : liveWindows()) {
    if (other != window && !other->owningWindow() && other->enabled()) {
      other->setEnabled(false);
      disabled.push_back(other);
    }
  }
  window->holdDisabled(std::move(disabled));
  // The nested event loop: what the user does, and the time that passes, while it is up.
  userActions(*window);
  if (window->exists() && !programEnded()) {
    throw std::logic_error("the modal window is still open after the user's last action");
  }
}

Window* SimDesktop::loadOwned(const WindowDefinition& definition, Window& owner) {
  SimWindow* window = makeWindow(definition, &owner, static_cast<SimWindow*>(&owner));
  if (!window->exists())
    return nullptr;
  window->showLoaded();
  return window;
}

Window* SimDesktop::openWindow(const WindowDefinition& definition) const {
  for (const auto& window : windows_) {
    if (window->exists() && &window->definition() == &definition)
      return window.get();
  }
  return nullptr;
}

void SimDesktop::onNextModalWindow(std::function<void(SimWindow&)> userActions) {
  modalActions_.push_back(std::move(userActions));
}

bool SimDesktop::askYesNo(const Text& question, const Text& title) {
  questions_.push_back(SimMessageBox{question, title});
  if (duringQuestion_) {
    askingQuestion_ = true;
    std::exchange(duringQuestion_, {})();
    askingQuestion_ = false;
  }
  if (answers_.empty()) {
    throw std::logic_error("a question box came up that the test did not answer");
  }
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

void SimDesktop::showErrorMessage(const Text& message, const Text& title) {
  errorMessages_.push_back(SimMessageBox{message, title});
}

int SimDesktop::runEventLoop() {
  if (exitCode_)
    return *exitCode_;
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
    if (window->exists())
      live.push_back(window.get());
  }
  return live;
}

SimWindow* SimDesktop::findWindow(const Text& caption) const {
  for (const auto& window : windows_) {
    if (window->exists() && window->definition().caption == caption)
      return window.get();
  }
  return nullptr;
}

void SimDesktop::windowDestroyed(SimWindow* window) {
  if (active_ == window)
    active_ = nullptr;
  for (auto it = hotkeys_.begin(); it != hotkeys_.end();) {
    it = it->second.window == window ? hotkeys_.erase(it) : std::next(it);
  }
}

int SimDesktop::registerHotkey(SimWindow* window, const char* control, int modifiers,
                               int virtualKey) {
  const auto key = std::make_pair(modifiers, virtualKey);
  if (hotkeys_.contains(key))
    return 0;
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

void SimDesktop::chooseMenuItem(SimWindow& window, const char* item) {
  if (!window.exists() || !window.visible() || window.windowState() == kStateMinimised ||
      !window.enabled()) {
    return;
  }
  hideBalloons();
  for (const MenuItemDefinition& entry : window.definition().menu) {
    if (!entry.separator && entry.level > 0 && std::strcmp(entry.text, item) == 0) {
      window.raise(entry.onSelect);
      return;
    }
  }
  throw std::out_of_range(std::string("no menu item ") + item);
}

void SimDesktop::activateOtherProgram() {
  active_ = nullptr;
}

void SimDesktop::endProgram(int exitCode) {
  if (exitCode_)
    return;
  exitCode_ = exitCode;
  // The icons stay behind in the notification area, as those of a process that ended
  // without removing them do.
  for (SimWindow* window : liveWindows())
    window->vanish();
}

std::optional<Point> SimDesktop::pointerPosition() const {
  if (!pointerKnown_)
    return std::nullopt;
  return pointer_;
}

void SimDesktop::movePointer(int x, int y) {
  pointer_ = {x, y};
  pointerKnown_ = true;
}

void SimDesktop::hideBalloons() {
  for (SimWindow* window : liveWindows())
    window->hideBalloons();
}

// --- the notification area and popup menus ---

void SimDesktop::putTrayIcon(const SimWindow* window, const Bytes& picture, const Text& tip) {
  for (SimTrayIcon& icon : trayArea_) {
    if (icon.window == window) {
      icon.picture = picture;
      icon.tip = tip;
      return;
    }
  }
  trayArea_.push_back(SimTrayIcon{window, picture, tip});
}

void SimDesktop::removeTrayIcon(const SimWindow* window) {
  std::erase_if(trayArea_, [&](const SimTrayIcon& icon) { return icon.window == window; });
}

namespace {

// The live window whose icon stands in the area, or nothing for a left-behind icon.
SimWindow* ownerInArea(const std::vector<SimTrayIcon>& area, const SimWindow& window) {
  for (const SimTrayIcon& icon : area) {
    if (icon.window == &window && window.exists())
      return const_cast<SimWindow*>(&window);
  }
  return nullptr;
}

}  // namespace

void SimDesktop::clickTrayIcon(const SimWindow& window) {
  if (SimWindow* owner = ownerInArea(trayArea_, window))
    owner->raiseTrayEvent(kTrayLeftButtonUp);
}

void SimDesktop::doubleClickTrayIcon(const SimWindow& window) {
  // Each notification goes only to an icon that is still there when it comes.
  for (const int type : {kTrayLeftButtonUp, kTrayDoubleClick, kTrayLeftButtonUp}) {
    if (SimWindow* owner = ownerInArea(trayArea_, window))
      owner->raiseTrayEvent(type);
  }
}

void SimDesktop::rightClickTrayIcon(const SimWindow& window) {
  if (SimWindow* owner = ownerInArea(trayArea_, window))
    owner->raiseTrayEvent(kTrayContextMenu);
}

void SimDesktop::restartNotificationArea() {
  trayArea_.clear();
  for (SimWindow* window : liveWindows()) {
    if (const auto& icon = window->trayIcon())
      putTrayIcon(window, icon->first, icon->second);
  }
}

std::string SimDesktop::takePopUpChoice() {
  return std::exchange(nextPopUpChoice_, {});
}

// --- the clipboard ---

void SimDesktop::copyInOtherProgram(const Text& text) {
  clipboardText_ = text;
  clipboardOtherFormats_.clear();
}

void SimDesktop::copyNonTextInOtherProgram(const std::string& format) {
  clipboardText_.reset();
  clipboardOtherFormats_ = {format};
}

void SimDesktop::otherProgramOpensClipboard(ClipboardHold when) {
  clipboardHold_ = when;
}

std::vector<std::string> SimDesktop::clipboardFormats() const {
  std::vector<std::string> formats;
  if (clipboardText_)
    formats.push_back("text");
  formats.insert(formats.end(), clipboardOtherFormats_.begin(), clipboardOtherFormats_.end());
  return formats;
}

Text SimDesktop::clipboardText() {
  if (clipboardHold_ == ClipboardHold::Now)
    return {};
  Text text = clipboardText_.value_or(Text());
  if (clipboardHold_ == ClipboardHold::AfterNextRead)
    clipboardHold_ = ClipboardHold::Now;
  return text;
}

void SimDesktop::setClipboardText(const Text& text) {
  if (clipboardHold_ == ClipboardHold::Now)
    return;
  ++clipboardEmptyings_;
  clipboardOtherFormats_.clear();
  clipboardText_ = text;
}

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
  if (!window)
    return;
  hideBalloons();
  if (!window->enabled())
    return;
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
        if (control.tabStop && control.shown && it->enabled)
          cycle.push_back(control.name);
      }
      if (cycle.empty())
        return;
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
      if (definition.escCloses)
        window->destroy();
      return;
    case kVirtualKeyBack: {
      // The caret stands at the end: the last character goes, a line break as one.
      if (!focusedDefinition || !takesTyping(*focusedDefinition))
        return;
      const Text before = window->text(focused.c_str());
      const std::string_view text = before.bytes();
      std::size_t last = 0;
      for (std::size_t at = 0; at < text.size();) {
        last = at;
        at += isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
      }
      if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        last = text.size() - 2;
      window->setText(focused.c_str(), Text(text.substr(0, last)));
      return;
    }
    default:
      return;
  }
}

void SimDesktop::typeText(const Text& text) {
  SimWindow* window = active_;
  if (!window)
    return;
  hideBalloons();
  if (!window->enabled())
    return;
  const std::string focused = window->focusedControl();
  if (focused.empty())
    return;
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
  hideBalloons();
  activate(&window);
  window.setFocus(button);
  window.raise(control.definition->onEvent);
}

void SimDesktop::clickCloseButton(SimWindow& window) {
  if (!window.exists() || !window.visible() || window.windowState() == kStateMinimised)
    return;
  hideBalloons();
  if (window.enabled())
    window.destroy();
}

void SimDesktop::clickMinimiseButton(SimWindow& window) {
  if (!window.exists() || !window.visible() || window.windowState() == kStateMinimised ||
      !window.definition().minimizeButton) {
    return;
  }
  hideBalloons();
  if (window.enabled())
    window.setWindowState(kStateMinimised);
}

void SimDesktop::pressKeyWithCtrl(int virtualKey) {
  SimWindow* window = active_;
  if (!window)
    return;
  hideBalloons();
  if (!window->enabled())
    return;
  for (const MenuItemDefinition& item : window->definition().menu) {
    if (!item.separator && ctrlShortcutKey(item.shortcut) == virtualKey) {
      window->raise(item.onSelect);
      return;
    }
  }
}

void SimDesktop::clickMaximiseButton(SimWindow& window) {
  if (!window.exists() || !window.visible() || window.windowState() != kStateNormal ||
      !window.definition().maximizeButton) {
    return;
  }
  hideBalloons();
  if (window.enabled())
    window.setWindowState(kStateMaximised);
}

void SimDesktop::clickRestoreButton(SimWindow& window) {
  if (!window.exists() || !window.visible() || window.windowState() == kStateNormal)
    return;
  hideBalloons();
  if (!window.enabled())
    return;
  if (window.windowState() == kStateMinimised) {
    window.restoreInPlace();
  } else {
    window.setWindowState(kStateNormal);
  }
}

void SimDesktop::dragFrame(SimWindow& window, int width, int height) {
  if (!window.exists() || !window.visible() || window.windowState() != kStateNormal ||
      window.definition().border != Border::Resizable) {
    return;
  }
  hideBalloons();
  if (!window.enabled())
    return;
  activate(&window);
  window.resizeTo(width, height);
}

void SimDesktop::clickTaskbarButton(SimWindow& window) {
  // The button belongs to the task bar, not to the program: no balloon goes.
  if (!window.exists() || !window.visible() || !window.definition().taskbarButton)
    return;
  if (window.windowState() == kStateMinimised) {
    window.restoreInPlace();
  } else if (window.isActive()) {
    window.setWindowState(kStateMinimised);
  } else {
    activate(&window);
  }
}

void SimDesktop::clickControl(SimWindow& window, const char* control) {
  const SimControl& live = window.control(control);
  if (!window.exists() || !window.visible() || window.windowState() == kStateMinimised ||
      !live.definition->shown) {
    return;
  }
  hideBalloons();
  if (!window.enabled())
    return;
  activate(&window);
  if (live.enabled && takesFocus(*live.definition))
    window.setFocus(control);
}

void SimDesktop::turnMouseWheel(SimWindow& window) {
  if (window.exists() && window.visible())
    hideBalloons();
}

void SimDesktop::clickBalloon(SimWindow& window, const char* balloon) {
  // The balloon takes the click itself without being activated.
  if (window.exists() && window.control(balloon).balloon.shown)
    hideBalloons();
}

void SimDesktop::advanceTime(std::int64_t milliseconds) {
  const std::int64_t end = now_ + milliseconds;
  for (;;) {
    // The next thing due, in time order: a timer's tick or a balloon's closing.
    SimWindow* dueWindow = nullptr;
    SimControl* due = nullptr;
    std::int64_t dueAt = std::numeric_limits<std::int64_t>::max();
    for (SimWindow* window : liveWindows()) {
      for (SimControl& control : window->controls()) {
        std::int64_t at = dueAt;
        if (control.definition->kind == ControlKind::Timer && control.period > 0) {
          at = control.nextTick;
        } else if (control.balloon.shown && control.balloon.hidesAt >= 0) {
          at = control.balloon.hidesAt;
        }
        if (at < dueAt) {
          dueAt = at;
          dueWindow = window;
          due = &control;
        }
      }
    }
    if (!due || dueAt > end)
      break;
    now_ = dueAt;
    if (due->definition->kind == ControlKind::Timer) {
      due->nextTick = dueAt + due->period;
      if (dueWindow->tickRuns(*due))
        dueWindow->raise(due->definition->onEvent);
    } else {
      due->balloon.shown = false;
    }
  }
  now_ = end;
}

}  // namespace xiulan::toolkit::sim
