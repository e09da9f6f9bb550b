#include "toolkit/balloon_layout.h"

#include <algorithm>
#include <string>
#include <vector>

namespace xiulan::toolkit {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

}  // namespace

Text moreLinesLine(std::int64_t count) {
  return concatText(
      "……另有 ", integerToText(static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX))),
      " 条");
}

Text fitBalloonText(const Text& text, int availableHeight,
                    const std::function<int(std::string_view line)>& lineHeight) {
  const std::vector<Text> lines = splitText(text, Text(kLineBreak));
  // Heights and byte counts of the lines that fit, measured one by one while they still can.
  std::vector<int> heightAfter;         // heightAfter[i]: height of lines 0..i
  std::vector<std::size_t> bytesAfter;  // bytes of lines 0..i joined by CR LF
  int height = 0;
  std::size_t bytes = 0;
  for (const Text& line : lines) {
    height += lineHeight(line.bytes());
    bytes += (bytesAfter.empty() ? 0 : kLineBreak.size()) + line.bytes().size();
    if (height > availableHeight || bytes > kBalloonTextLimit)
      break;
    heightAfter.push_back(height);
    bytesAfter.push_back(bytes);
  }

  std::size_t shown = heightAfter.size();
  if (shown < lines.size()) {
    // Make room for the line that counts the rest; its length grows with fewer lines shown,
    // but only by a digit now and then, so stepping back one line at a time is short.
    for (;;) {
      const Text more = moreLinesLine(static_cast<std::int64_t>(lines.size() - shown));
      const int usedHeight = shown == 0 ? 0 : heightAfter[shown - 1];
      const std::size_t usedBytes = shown == 0 ? 0 : bytesAfter[shown - 1] + kLineBreak.size();
      if (shown == 0 || (usedHeight + lineHeight(more.bytes()) <= availableHeight &&
                         usedBytes + more.bytes().size() <= kBalloonTextLimit)) {
        break;
      }
      --shown;
    }
  }

  std::string result;
  result.reserve(shown == 0 ? 0 : bytesAfter[shown - 1] + 32);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0)
      result.append(kLineBreak);
    result.append(lines[i].bytes());
  }
  if (shown < lines.size()) {
    if (shown > 0)
      result.append(kLineBreak);
    result.append(moreLinesLine(static_cast<std::int64_t>(lines.size() - shown)).bytes());
  }
  return Text(std::move(result));
}

BalloonPlace placeBalloon(int x, int y, int width, int height, const Rect& screen) {
  BalloonPlace place{x, y};
  place.left = std::max(std::min(place.left, screen.right - width), screen.left);
  place.top = std::max(std::min(place.top, screen.bottom - height), screen.top);
  return place;
}

}  // namespace xiulan::toolkit
