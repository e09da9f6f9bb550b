// How a balloon fits its lines onto the screen: which lines it shows, and where it stands.
#include "toolkit/balloon_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace xiulan::toolkit {
namespace {

// `count` lines of `width` bytes each ("001xxx..."), each followed by CR LF.
std::string numberedLines(int count, std::size_t width) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    std::string line = std::to_string(1000 + i).substr(1);
    line.resize(width, 'x');
    text += line + "\r\n";
  }
  return text;
}

std::string firstLines(const std::string& text, int count) {
  std::size_t end = 0;
  for (int i = 0; i < count; ++i)
    end = text.find("\r\n", end) + 2;
  return text.substr(0, end);
}

TEST(BalloonLayoutTest, ShowsTheLinesThatFitThenCountsTheRest) {
  const auto tenPixels = [](std::string_view) { return 10; };
  const std::string three = numberedLines(3, 8);
  // 23 lines of 42 bytes joined by CR LF make 1010 bytes, within the 1023 of the limit, but
  // not with CR LF and the 13 bytes of the count line after them: 22 lines are shown.
  const std::string longLines = numberedLines(30, 42);
  struct Case {
    const char* what;
    std::string text;
    int height;
    std::string shown;
  };
  const Case cases[] = {
      {"all fit", three, 30, "001xxxxx\r\n002xxxxx\r\n003xxxxx"},
      {"the last line without CR LF", "001xxxxx\r\n002xxxxx", 20, "001xxxxx\r\n002xxxxx"},
      {"one line too many", three, 29, "001xxxxx\r\n……另有 2 条"},
      {"room for the count line only", three, 10, "……另有 3 条"},
      {"not even room for the count line", three, 5, "……另有 3 条"},
      {"too long for the balloon", longLines, 100000, firstLines(longLines, 22) + "……另有 8 条"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Text shown = fitBalloonText(Text(c.text), c.height, tenPixels);
    EXPECT_EQ(shown.bytes(), c.shown);
    EXPECT_LE(shown.bytes().size(), kBalloonTextLimit);
  }
}

TEST(BalloonLayoutTest, MeasuresOnlyTheLinesThatCanFit) {
  int measured = 0;
  const auto counting = [&](std::string_view) {
    ++measured;
    return 10;
  };
  const Text shown = fitBalloonText(Text(numberedLines(5000, 8)), 100, counting);
  EXPECT_EQ(shown.bytes(), firstLines(numberedLines(9, 8), 9) + "……另有 4991 条");
  EXPECT_LT(measured, 30);
}

TEST(BalloonLayoutTest, StandsAtThePointUnlessThatLeavesTheScreen) {
  const Rect screen{-1920, 0, 0, 1080};  // a monitor left of the primary one
  struct Case {
    int x, y, width, height;
    int left, top;
  };
  const Case cases[] = {
      {-1000, 500, 300, 200, -1000, 500},   // fits where it is
      {-100, 500, 300, 200, -300, 500},     // past the right edge: moved left
      {-1000, 1000, 300, 200, -1000, 880},  // past the bottom: moved up
      {-50, 1070, 300, 200, -300, 880},     // the corner: both
      {-2000, -20, 300, 200, -1920, 0},     // a point off the screen
      {-1000, 500, 3000, 2000, -1920, 0},   // larger than the screen: its left and top edges
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
    const BalloonPlace place = placeBalloon(c.x, c.y, c.width, c.height, screen);
    EXPECT_EQ(place.left, c.left);
    EXPECT_EQ(place.top, c.top);
  }
}

}  // namespace
}  // namespace xiulan::toolkit
