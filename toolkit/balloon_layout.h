// How a balloon fits its lines onto the screen that holds its point. Both backends lay
// balloons out with these rules; each measures text its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "vocabulary/text.h"

namespace xiulan::toolkit {

// The most bytes a balloon shows. The system's tooltip control keeps no more than 1023
// characters of its text, and no byte stands for more than one character.
inline constexpr std::size_t kBalloonTextLimit = 1023;

// The line that stands for `count` lines left out: "……另有 N 条".
Text moreLinesLine(std::int64_t count);

// The text a balloon shows for `text`, whose lines are each followed by CR LF (the last may
// lack it): its lines joined by CR LF when they all fit into `availableHeight` pixels and the
// length limit; otherwise as many lines as fit, followed by moreLinesLine for the rest.
// `lineHeight` gives the pixels a line takes as the balloon draws it (wrapped, if it wraps).
// Lines are measured only as far as they can fit, so a text of 100,000 lines costs a few.
Text fitBalloonText(const Text& text, int availableHeight,
                    const std::function<int(std::string_view line)>& lineHeight);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where a balloon of the given size stands for the point: its top-left corner at the point,
// moved left and up as far as needed to keep it inside `screen`; a balloon larger than the
// screen keeps to the screen's left or top edge.
struct BalloonPlace {
  int left = 0, top = 0;
};
BalloonPlace placeBalloon(int x, int y, int width, int height, const Rect& screen);

}  // namespace xiulan::toolkit
