// Checks the shipped word list itself: shape, numbering, headwords, the irregular lines kept
// byte for byte, line lengths and the character set.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/text.h"

namespace xiulan {
namespace {

// What each line of the shipped list must hold, one line per line of the list, in GBK as the
// list itself is: the headword, and for the lines whose bytes are fixed exactly (the irregular
// ones and the quoted examples) a tab and the whole line.
struct ExpectedLine {
  std::string headword;
  std::optional<std::string> exact;
};

std::vector<ExpectedLine> expectedLines() {
  std::ifstream file(XIULAN_EXPECTED_BUILTIN_LIST, std::ios::binary);
  std::vector<ExpectedLine> expected;
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t tab = line.find('\t');
    ExpectedLine entry{line.substr(0, tab), std::nullopt};
    if (tab != std::string::npos)
      entry.exact = line.substr(tab + 1);
    expected.push_back(std::move(entry));
  }
  return expected;
}

const std::set<int> kIrregular = {1,   7,   17,  91,  99,  178, 192, 196, 199, 221, 226, 238, 258,
                                  307, 320, 417, 489, 506, 517, 520, 531, 623, 653, 673, 682};

bool isGb2312(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GB2312");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return false;
  std::string in = gbk;
  std::string out(in.size() * 2 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  std::size_t srcLeft = in.size();
  std::size_t dstLeft = out.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok && srcLeft == 0;
}

std::vector<std::string> builtInLines() {
  std::vector<std::string> lines;
  for (const Text& line : splitText(Text(kBuiltInVocabulary), "\r\n")) {
    lines.emplace_back(line.bytes());
  }
  return lines;
}

TEST(BuiltInVocabularyTest, Shape) {
  const std::string all(kBuiltInVocabulary);
  EXPECT_EQ(all.find('\0'), std::string::npos);
  EXPECT_EQ(all.find('\t'), std::string::npos);
  EXPECT_NE(all.substr(all.size() - 2), "\r\n");
  const std::vector<std::string> lines = builtInLines();
  ASSERT_EQ(lines.size(), 777u);
  const std::vector<ExpectedLine> expected = expectedLines();
  ASSERT_EQ(expected.size(), 777u);
  std::set<std::string> seen;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int number = static_cast<int>(i) + 1;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%03d", number);
    SCOPED_TRACE(line);
    EXPECT_EQ(line.substr(0, 5), std::string(prefix) + "、");
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_GE(line.size(), 14u);
    EXPECT_LE(line.size(), 40u);
    EXPECT_TRUE(isGb2312(line));
    for (char c : line)
      EXPECT_FALSE(c >= 'A' && c <= 'Z');
    const std::string& headword = expected[i].headword;
    EXPECT_EQ(line.compare(5, headword.size(), headword), 0);
    EXPECT_TRUE(seen.insert(headword).second) << "repeated headword";
    if (!kIrregular.contains(number)) {
      // The regular form: headword, one U+3000, then a part of speech ending in a full stop.
      const std::string afterHeadword = line.substr(5 + headword.size());
      EXPECT_EQ(afterHeadword.substr(0, 2), "　");
      EXPECT_EQ(findText(Text(afterHeadword.substr(2)), "　"), -1);
      const std::size_t dot = afterHeadword.find('.');
      ASSERT_NE(dot, std::string::npos);
      for (std::size_t k = 2; k < dot; ++k) {
        const char c = afterHeadword[k];
        EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '&') << "part of speech";
      }
    }
  }
}

TEST(BuiltInVocabularyTest, FixedLinesAreKeptByteForByte) {
  const std::vector<std::string> lines = builtInLines();
  ASSERT_EQ(lines.size(), 777u);
  const std::vector<ExpectedLine> expected = expectedLines();
  ASSERT_EQ(expected.size(), 777u);
  int fixed = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (expected[i].exact) {
      ++fixed;
      EXPECT_EQ(lines[i], *expected[i].exact) << "line " << i + 1;
    }
  }
  EXPECT_EQ(fixed, 31);
  EXPECT_EQ(lines[554].size(), 14u);
  EXPECT_EQ(lines[708].size(), 40u);
}

}  // namespace
}  // namespace xiulan
