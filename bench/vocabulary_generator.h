// Builds large, realistic GBK vocabularies for benchmarks: numbered lines with an English
// headword, an ideographic space, parts of speech and Chinese meanings joined by CR LF.
#pragma once

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/text.h"

namespace xiulan::bench {

// The two-byte characters of the built-in list's meanings: real GB2312 text with realistic
// frequencies (的 among the most common).
inline std::vector<std::string> meaningCharacters() {
  std::vector<std::string> characters;
  for (const Text& line : splitText(Text(kBuiltInVocabulary), "\r\n")) {
    const std::string_view bytes = line.bytes();
    for (std::size_t i = 0; i < bytes.size();) {
      if (static_cast<unsigned char>(bytes[i]) >= 0x80 && i + 1 < bytes.size()) {
        const std::string character(bytes.substr(i, 2));
        if (character != "、" && character != "　")
          characters.push_back(character);
        i += 2;
      } else {
        ++i;
      }
    }
  }
  return characters;
}

// About `lines` lines; `rareWord` is placed in exactly three of them.
inline std::string generateVocabulary(std::size_t lines, std::string_view rareWord,
                                      unsigned seed = 1) {
  static const char* const syllables[] = {
      "con", "fig", "ura", "tion", "pro",  "gram", "dat",  "a",   "ser",  "ver", "com",
      "put", "er",  "in",  "ter",  "face", "net",  "work", "mem", "ory",  "pro", "cess",
      "or",  "ed",  "sys", "tem",  "re",   "lo",   "ad",   "ing", "file", "ex"};
  static const char* const partsOfSpeech[] = {"n.", "v.", "vt.", "a.", "ad.", "n.&v.", "n.&a."};
  const std::vector<std::string> characters = meaningCharacters();
  std::mt19937 random(seed);
  std::string text;
  text.reserve(lines * 34);
  for (std::size_t i = 1; i <= lines; ++i) {
    if (i > 1)
      text += "\r\n";
    text += std::to_string(i);
    text += "、";
    if (i == lines / 4 || i == lines / 2 || i == lines - 1) {
      text += rareWord;
    } else {
      const int parts = 2 + static_cast<int>(random() % 3);
      for (int p = 0; p < parts; ++p)
        text += syllables[random() % std::size(syllables)];
    }
    text += "　";
    text += partsOfSpeech[random() % std::size(partsOfSpeech)];
    const int meanings = 1 + static_cast<int>(random() % 3);
    for (int m = 0; m < meanings; ++m) {
      if (m > 0)
        text += "，";
      const int length = 2 + static_cast<int>(random() % 3);
      for (int c = 0; c < length; ++c)
        text += characters[random() % characters.size()];
    }
  }
  return text;
}

}  // namespace xiulan::bench
