#include "vocabulary/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xiulan {
namespace {

using namespace std::string_literals;

TEST(TextTest, HoldsNoNulAndHasValueSemantics) {
  EXPECT_EQ(Text("a\0b"s).bytes(), "a");
  EXPECT_EQ(Text(std::string_view("\0abc", 4)).bytes(), "");
  EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text());

  Text original("abc");
  Text copy = original;
  copy = concatText(copy, "d");
  EXPECT_EQ(original.bytes(), "abc");
  EXPECT_EQ(copy.bytes(), "abcd");
}

TEST(TextTest, LiteralsAreGbk) {
  // The sources are UTF-8; the compiler must have turned their literals into GBK.
  EXPECT_EQ(Text("、").bytes(), "\xA1\xA2");
  EXPECT_EQ(textLength("请先输入你要查找的内容"), 22);
  EXPECT_EQ(textLength(""), 0);
}

TEST(TextTest, CompareText) {
  struct Case {
    Text a, b;
    int expected;
  };
  const Case cases[] = {
      {"", Text(), 0},        {"a", "", 1},         {"", "a", -1},
      {"ab", "abc", -1},      {"abc", "ab", 1},     {"abc", "abc", 0},
      {"abd", "abc", 1},      {"File", "file", -1},  // case-sensitive, no collation
      {"\x80", "\x7F", 1},                           // bytes compare unsigned
      {"a\xB0\xA1", "az", 1},  // a GBK character is larger than any ASCII byte
      {"目录", "目录", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compareText(c.a, c.b), c.expected) << c.a.bytes() << " vs " << c.b.bytes();
  }
}

TEST(TextTest, FindText) {
  struct Case {
    Text haystack, needle;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"017、directory n.目录，索引簿", "n.", 16},
      {"abc", "abc", 1},
      {"ab", "abc", -1},  // needle longer than haystack
      {"abc", "", 1},
      {"", "", -1},
      {"", "a", -1},
      {"file", "File", -1},
      {"xfilex", "file", 2},
      {"aXaX", "aX", 1},
      // 颜色 is D1 D5 C9 AB: D5 C9 (丈) straddles the two characters and must not be found.
      {"颜色", "丈", -1},
      {"颜色丈", "丈", 5},
      // A match may end after the lead byte of a character.
      {"颜色", "\xD1", 1},
      {"颜色", "\xD5", -1},
      // A lead byte as the last byte has no second byte; nothing is found past it.
      {"ab\x81", "\x81", 3},
      {"ab\x81", "b\x81", 2},
      {"\x81", "x", -1},
      // 0x80 and 0xFF count as lead bytes: the 'a' after each is a second byte.
      {"\x80"
       "a",
       "a", -1},
      {"\xFF"
       "ab",
       "b", 3},
      {"\x81\x81"
       "a",
       "a", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findText(c.haystack, c.needle), c.expected)
        << '"' << c.haystack.bytes() << "\" find \"" << c.needle.bytes() << '"';
  }
}

TEST(TextTest, SplitText) {
  struct Case {
    Text text, delimiter;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a\r\nb", "\r\n", {"a", "b"}},
      {"a\r\nb\r\n", "\r\n", {"a", "b"}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"\r\na", "\r\n", {"", "a"}},
      {"\r\n", "\r\n", {""}},
      {"", "\r\n", {}},
      {"a\rb\nc", "\r\n", {"a\rb\nc"}},  // lone CR and LF stay inside
      {"a\nb\n", "\r\n", {"a\nb\n"}},
      {"abc", "", {"abc"}},
      {"a\r\r\nb", "\r\n", {"a\r", "b"}},
      // A CR that is the second byte of a character is no line break.
      {"\x81\r\nb", "\r\n", {"\x81\r\nb"}},
      {"\x81\x81\r\nb", "\r\n", {"\x81\x81", "b"}},
      {"ab\x81", "\r\n", {"ab\x81"}},
      {"a\r\n\x81", "\r\n", {"a", "\x81"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> members;
    for (const Text& member : splitText(c.text, c.delimiter))
      members.emplace_back(member.bytes());
    EXPECT_EQ(members, c.expected) << '"' << c.text.bytes() << '"';
  }
}

TEST(TextTest, ConcatIntegerAndBytes) {
  const Text summary =
      concatText("\r\n找到:", integerToText(3), "处包含\"", Text("file"), "\"的内容。");
  EXPECT_EQ(textLength(summary), 28);
  EXPECT_EQ(summary.bytes(),
            "\r\n"
            "找到:3处包含\"file\"的内容。");
  EXPECT_EQ(concatText("a", "", "b").bytes(), "ab");

  EXPECT_EQ(integerToText(777).bytes(), "777");
  EXPECT_EQ(integerToText(0).bytes(), "0");
  EXPECT_EQ(integerToText(-12).bytes(), "-12");
  EXPECT_EQ(integerToText(INT32_MIN).bytes(), "-2147483648");

  EXPECT_EQ(bytesToText("a\0b"s).bytes(), "a");
  EXPECT_EQ(bytesToText("").bytes(), "");
  EXPECT_EQ(bytesToText("\xEF\xBB\xBF"
                        "a\r\nb\n"s)
                .bytes(),
            "\xEF\xBB\xBF"
            "a\r\nb\n");
  EXPECT_EQ(textToBytes(Text("ab\xFF")), "ab\xFF"s);
  EXPECT_EQ(textToBytes(Text()), ""s);
}

}  // namespace
}  // namespace xiulan
