// Clipboard lookup: while 时钟1 runs, every text copied in any program is looked up and its
// lines shown in a balloon at the pointer; the clipboard is then emptied, which is what keeps
// the same text from being looked up again at the next tick.
#include <string>

#include "lookup_window/lookup_window.h"
#include "vocabulary/line_lookup.h"

namespace xiulan::lookup {
namespace {

constexpr int kClipboardPeriodMs = 500;
constexpr std::int64_t kShortestQuery = 2;  // one Chinese character; one ASCII letter is too short
constexpr int kNoIcon = -1;

}  // namespace

void startClipboardLookup(toolkit::Window& window) {
  // The minimise raises position-changed, which puts the window into the tray before the
  // timer starts.
  window.setWindowState(toolkit::kStateMinimised);
  window.setTimerPeriod(时钟1, kClipboardPeriodMs);
}

void runClipboardLookup(toolkit::Window& window) {
  const Text query = readClipboardText(window);
  if (textLength(query) < kShortestQuery)
    return;
  const Text vocabulary = window.text(编辑框_词汇);

  // One balloon with every matching line and one emptying of the clipboard per tick: a
  // balloon per line would show the same final balloon after as many redraws, and each
  // emptying is recorded by clipboard managers and the system's clipboard history.
  std::string lines;
  for (LineLookup lookup(vocabulary, query); auto line = lookup.next();) {
    lines.append(*line);
    lines.append("\r\n");
  }
  if (lines.empty())
    return;  // the text stays on the clipboard and is looked up again

  // When the system cannot tell where the pointer is, the balloon goes to the middle of the
  // primary screen rather than to a made-up corner.
  const auto& desktop = window.desktop();
  const toolkit::Point at = desktop.pointerPosition().value_or(
      toolkit::Point{desktop.screenWidth() / 2, desktop.screenHeight() / 2});
  showBalloonTip(window, at.x, at.y, Text(std::move(lines)), kNoIcon, true);
  writeClipboardText(window, Text());
}

Text readClipboardText(toolkit::Window& window) {
  return window.desktop().clipboardText();
}

void writeClipboardText(toolkit::Window& window, const Text& text) {
  window.desktop().setClipboardText(text);
}

void showBalloonTip(toolkit::Window& window, int x, int y, const Text& text, int iconIndex,
                    bool autoClose) {
  window.showBalloonTip(气球提示框1, x, y, text, iconIndex, autoClose);
}

}  // namespace xiulan::lookup
