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
  while (auto line = lookup.next())
    lines.emplace_back(*line);
  return lines;
}

// The rule as the two text operations state it, with nothing clever in between.
std::vector<std::string> referenceLines(std::string_view vocabulary, std::string_view query) {
  std::vector<std::string> lines;
  for (const Text& line : splitText(Text(vocabulary), "\r\n")) {
    if (findText(line, Text(query)) != -1)
      lines.emplace_back(line.bytes());
  }
  return lines;
}

std::vector<std::string> numbersOf(const std::vector<std::string>& lines) {
  std::vector<std::string> numbers;
  for (const std::string& line : lines)
    numbers.push_back(line.substr(0, 3));
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
  for (std::size_t at = lfOnly.find("\r\n"); at != std::string::npos;
       at = lfOnly.find("\r\n", at)) {
    lfOnly.erase(at, 1);
  }
  EXPECT_EQ(lookupLines(lfOnly, "sum"), std::vector<std::string>{lfOnly});

  EXPECT_EQ(lookupLines("a\r\n\r\nab\r\n", "a"), (std::vector<std::string>{"a", "ab"}));
  EXPECT_EQ(lookupLines("xfilefile\r\nfile", "file"),
            (std::vector<std::string>{"xfilefile", "file"}));
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
      if (random() % 2)
        text += "\r\n";
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
      if (text.empty())
        return "a";
      const std::size_t at = random() % text.size();
      return text.substr(at, 1 + random() % 4);
    }
    case 2:
      return randomText(random, 1 + random() % 3);
    default: {
      static const char* const fixed[] = {"\r\n", "\n",     "\r",       "\xA1", "\xA1\xA2", "a\r",
                                          "\na",  "\x81\r", "\xA1\xA1", "ab",   "\xA2\r\n"};
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
    for (const Text& line : splitText(Text(builtIn), "\r\n"))
      all.emplace_back(line.bytes());
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

// A match close to where the search began switches the lookup to reading 64-byte blocks from
// the next line on. These texts put each kind of boundary at every offset of the first blocks
// after that line: a line break, a break whose CR is a second byte, runs of high bytes of both
// parities, the query at a character start or at a second byte, and the end of the text.
TEST(LineLookupTest, AgreesWithSplitThenFindAtEveryBlockOffset) {
  // The query with a high byte first can match at a second byte; the long one reaches past
  // the next block.
  const std::string queries[] = {"a",
                                 "ab",
                                 "\xA1\xA2",
                                 "abf",
                                 "\xA1"
                                 "a",
                                 std::string(70, 'b') + "a"};
  const std::string features[] = {"\r\n", "\xA1\r\n", "\xA1\xA1\r\n", "\xA1\xA1\xA1", "",
                                  "\r",   "\n"};
  const char* const fillers[] = {"x", "\xA1", "\xA1x", "\xA1\xA1x"};
  for (const std::string& query : queries) {
    const std::string suffixes[] = {"", "\r\n" + query, "yy" + query + "\r\n\xA1\xA1" + query};
    for (const char* filler : fillers) {
      for (std::size_t offset = 0; offset <= 140; ++offset) {
        std::string padding;
        while (padding.size() < offset)
          padding += filler;
        padding.resize(offset);
        for (const std::string& feature : features) {
          for (const std::string& suffix : suffixes) {
            for (const std::string& atFeature : {std::string(), query}) {
              const std::string text = query + "\r\n" + padding + feature + atFeature + suffix;
              ASSERT_EQ(lookupLines(text, query), referenceLines(text, query))
                  << "query " << ::testing::PrintToString(query) << " text "
                  << ::testing::PrintToString(text);
            }
          }
        }
      }
    }
  }
}

// Long texts that alternate between stretches where nearly every line matches and stretches
// of kilobytes with few or no matches, so that the lookup goes back and forth between reading
// blocks and jumping between candidates, with high-byte runs and line breaks anywhere.
TEST(LineLookupTest, AgreesWithSplitThenFindWhenMatchesComeAndGo) {
  std::mt19937 random(314159);
  const std::string queries[] = {"ab", "\xA1\xA2", "f", "abf", "zq", "\xB5\xA1\xA1", "a\xA1"};
  for (int round = 0; round < 60; ++round) {
    const std::string& query = queries[random() % std::size(queries)];
    std::string text;
    const int stretches = 2 + static_cast<int>(random() % 6);
    for (int s = 0; s < stretches; ++s) {
      if (random() % 2) {
        const std::size_t lines = 1 + random() % 120;
        for (std::size_t i = 0; i < lines; ++i) {
          text += randomText(random, random() % 40);
          if (random() % 8 != 0)
            text += query;
          text += randomText(random, random() % 40);
          text += "\r\n";
        }
      } else if (random() % 2) {
        text += randomText(random, 1000 + random() % 6000);
      } else {
        // Many hits of the query's rarest byte that are not the query.
        for (std::size_t i = 0, count = 500 + random() % 3000; i < count; ++i) {
          text += random() % 3 ? "z" : random() % 2 ? "z\r\n" : "\xA1z";
        }
      }
    }
    ASSERT_EQ(lookupLines(text, query), referenceLines(text, query))
        << "round " << round << " query " << ::testing::PrintToString(query);
  }
}

TEST(LineLookupTest, CompleteLinesLengthCases) {
  struct Case {
    std::string text;
    std::size_t length;
  };
  const Case cases[] = {
      {"", 0},
      {"a", 0},
      {"\r\n", 2},
      {"a\r\n", 3},
      {"a\r\nb", 3},
      {"a\r\nb\r\nc", 6},
      {"\r", 0},
      {"a\r\n\r", 3},
      {"\xA1\r\n", 0},           // the CR is the second byte of a character
      {"\xA1\xA1\r\n", 4},       // an even run: the CR starts a character
      {"\xA1\xA1\xA1\r\nb", 0},  // an odd run
      {"a\r\n\xA1\r\n", 3},      // only the first CR LF is a line break
      {"\xA1\r\n\r\n", 5},       // the LF after the second byte starts the next CR LF
      {"\xA1\xA1\xA1\xA1\xA1\r\n\xA1\xA1\r\n", 11},
      {"x\xA1\xA1\xA1\r\n\xA1\xA1\r\nb", 10},  // the first CR is a second byte, the second is not
  };
  for (const Case& c : cases) {
    EXPECT_EQ(completeLinesLength(c.text), c.length) << ::testing::PrintToString(c.text);
  }
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  for (const Text& line : splitText(Text(text), "\r\n"))
    lines.emplace_back(line.bytes());
  return lines;
}

TEST(LineLookupTest, CompleteLinesLengthSplitsWhereTheLinesDo) {
  std::mt19937 random(2718);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(random, random() % 80);
    const std::size_t length = completeLinesLength(text);
    ASSERT_LE(length, text.size());
    const std::string prefix = text.substr(0, length);
    const std::string rest = text.substr(length);
    // The prefix ends with a line break, the rest holds none, and the lines are unchanged.
    if (length > 0) {
      ASSERT_EQ(splitLines(prefix + "x").back(), "x") << ::testing::PrintToString(text);
    }
    ASSERT_EQ(splitLines(rest + "x").size(), 1u) << ::testing::PrintToString(text);
    std::vector<std::string> joined = splitLines(prefix);
    for (const std::string& line : splitLines(rest))
      joined.push_back(line);
    ASSERT_EQ(joined, splitLines(text)) << ::testing::PrintToString(text);
  }
}

// Counting a text read in pieces, as a file is streamed: each piece is looked up to its last
// line break and the unfinished line is carried into the next one.
TEST(LineLookupTest, CountingPieceByPieceCountsTheWholeText) {
  std::mt19937 random(1618);
  for (int round = 0; round < 300; ++round) {
    const std::string text = randomText(random, random() % 4000);
    const std::string query = randomQuery(random, text);
    const std::size_t pieceSize = 1 + random() % 300;
    std::int64_t count = 0;
    std::string held;
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
      held += text.substr(at, pieceSize);
      const std::size_t complete = completeLinesLength(held);
      count += countMatchingLines(std::string_view(held).substr(0, complete), query);
      held.erase(0, complete);
    }
    count += countMatchingLines(held, query);
    ASSERT_EQ(count, static_cast<std::int64_t>(referenceLines(text, query).size()))
        << "round " << round << " piece " << pieceSize << " query "
        << ::testing::PrintToString(query);
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
