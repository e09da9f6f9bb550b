#include "vocabulary/line_lookup.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "vocabulary/builtin_vocabulary.h"

namespace xiulan {
namespace {

std::vector<std::string> lookupLines(std::string_view vocabulary, std::string_view query) {
  std::vector<std::string> lines;
  LineLookup lookup(vocabulary, query);
  while (auto line = lookup.next()) lines.emplace_back(*line);
  return lines;
}

// The rule as the two text operations state it, with nothing clever in between.
std::vector<std::string> referenceLines(std::string_view vocabulary, std::string_view query) {
  std::vector<std::string> lines;
  for (const Text& line : splitText(Text(vocabulary), "\r\n")) {
    if (findText(line, Text(query)) != -1) lines.emplace_back(line.bytes());
  }
  return lines;
}

std::vector<std::string> numbersOf(const std::vector<std::string>& lines) {
  std::vector<std::string> numbers;
  for (const std::string& line : lines) numbers.push_back(line.substr(0, 3));
  return numbers;
}

TEST(LineLookupTest, BuiltInListCases) {
  struct Case {
    const char* query;
    std::vector<std::string> numbers;
  };
  std::vector<std::string> all;
  for (int i = 1; i <= 777; ++i) {
    char number[4];
    std::snprintf(number, sizeof number, "%03d", i);
    all.emplace_back(number);
  }
  const Case cases[] = {
      {"file", {"001", "125", "241"}},
      {"sum", {"493", "617", "685", "777"}},
      {"目录", {"017", "019", "315"}},
      {"help", {"035"}},
      {"帮助", {"035", "434"}},
      {"File", {}},
      {"、", all},
      {"丈", {}},  // its bytes occur in line 159 across 颜 and 色 only
      {" ", {"017", "099"}},
      {"file ", {}},
      {"　　", {"007"}},
      {"file\r\n", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(numbersOf(lookupLines(kBuiltInVocabulary, c.query)), c.numbers) << c.query;
  }
  EXPECT_EQ(lookupLines(kBuiltInVocabulary, "help"),
            std::vector<std::string>{"035、help　v.&n.帮助"});
}

TEST(LineLookupTest, VocabularyShapes) {
  const std::string builtIn(kBuiltInVocabulary);
  EXPECT_EQ(lookupLines(builtIn + "\r\n", "sum"), lookupLines(builtIn, "sum"));
  EXPECT_TRUE(lookupLines("", "file").empty());

  std::string lfOnly = builtIn;
  for (std::size_t at = lfOnly.find("\r\n"); at != std::string::npos; at = lfOnly.find("\r\n", at)) {
    lfOnly.erase(at, 1);
  }
  EXPECT_EQ(lookupLines(lfOnly, "sum"), std::vector<std::string>{lfOnly});

  EXPECT_EQ(lookupLines("a\r\n\r\nab\r\n", "a"), (std::vector<std::string>{"a", "ab"}));
  EXPECT_EQ(lookupLines("xfilefile\r\nfile", "file"), (std::vector<std::string>{"xfilefile", "file"}));
  EXPECT_EQ(countMatchingLines(builtIn, "、"), 777);
}

// Texts built to trip a scan that decides character starts or line breaks wrongly: odd and
// even runs of high bytes before CR LF, CR and LF as second bytes, a lead byte at the end.
std::string randomText(std::mt19937& random, std::size_t length) {
  static const char alphabet[] = {'a', 'b', '\r', '\n', '\x81', '\xA1', '\xA2', '\xB5', 'f', ' '};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
  std::string text;
  while (text.size() < length) {
    if (random() % 5 == 0) {
      text.append(random() % 7, '\xA1');  // a run of high bytes of any parity
      if (random() % 2) text += "\r\n";
    } else {
      text += alphabet[pick(random)];
    }
  }
  return text;
}

std::string randomQuery(std::mt19937& random, const std::string& text) {
  switch (random() % 4) {
    case 0:
    case 1: {  // a piece of the text itself, so most queries find something
      if (text.empty()) return "a";
      const std::size_t at = random() % text.size();
      return text.substr(at, 1 + random() % 4);
    }
    case 2:
      return randomText(random, 1 + random() % 3);
    default: {
      static const char* const fixed[] = {"\r\n", "\n", "\r", "\xA1", "\xA1\xA2", "a\r", "\na",
                                          "\x81\r", "\xA1\xA1", "ab", "\xA2\r\n"};
      return fixed[random() % (sizeof fixed / sizeof fixed[0])];
    }
  }
}

TEST(LineLookupTest, AgreesWithSplitThenFindOnGeneratedInputs) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(random, random() % 120);
    const std::string query = randomQuery(random, text);
    ASSERT_EQ(lookupLines(text, query), referenceLines(text, query))
        << "round " << round << " text " << ::testing::PrintToString(text) << " query "
        << ::testing::PrintToString(query);
  }
}

TEST(LineLookupTest, AgreesWithSplitThenFindOnLongTexts) {
  // Long enough that the block scan, not the byte-by-byte tail, does the searching.
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::string text = randomText(random, 200 + random() % 3000);
    for (int q = 0; q < 10; ++q) {
      const std::string query = randomQuery(random, text);
      ASSERT_EQ(lookupLines(text, query), referenceLines(text, query))
          << "round " << round << " query " << ::testing::PrintToString(query);
    }
  }
}

TEST(LineLookupTest, AgreesWithSplitThenFindOnRealLookingVocabularies) {
  std::mt19937 random(99);
  const std::string builtIn(kBuiltInVocabulary);
  const std::vector<std::string> lines = [&] {
    std::vector<std::string> all;
    for (const Text& line : splitText(Text(builtIn), "\r\n")) all.emplace_back(line.bytes());
    return all;
  }();
  for (int round = 0; round < 200; ++round) {
    // Shuffle lines, sometimes join them with odd line ends or cut a character in half.
    std::string vocabulary;
    const std::size_t count = 1 + random() % 200;
    for (std::size_t i = 0; i < count; ++i) {
      vocabulary += lines[random() % lines.size()];
      const auto shape = random() % 10;
      vocabulary += shape == 0 ? "\n" : shape == 1 ? "\xB5\r\n" : shape == 2 ? "\r\n\r\n" : "\r\n";
    }
    for (const char* query : {"file", "、", "的", "n.", "\xA1", "tion", "\r\n", "　", "，", "a"}) {
      ASSERT_EQ(lookupLines(vocabulary, query), referenceLines(vocabulary, query))
          << "round " << round << " query " << query;
    }
    const std::string& line = lines[random() % lines.size()];
    const std::string piece = line.substr(random() % line.size(), 1 + random() % 6);
    ASSERT_EQ(lookupLines(vocabulary, piece), referenceLines(vocabulary, piece)) << piece;
  }
}

TEST(LineLookupTest, EmptyQueryYieldsEveryNonEmptyLine) {
  // No caller passes an empty query, but the composition defines the answer.
  for (std::string_view text : {"", "a", "a\r\n\r\nb\r\n", "\r\n"}) {
    EXPECT_EQ(lookupLines(text, ""), referenceLines(text, "")) << text;
  }
}

}  // namespace
}  // namespace xiulan
