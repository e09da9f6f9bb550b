// LineLookup: the lines of a vocabulary that contain a query, in vocabulary order.
//
// A line is a member of splitText(vocabulary, "\r\n") and it matches when findText finds the
// query in it. The result is exactly that composition's, but computed without splitting.
// Where matches are far apart the scan jumps from one occurrence of the query's bytes to the
// next and checks only those candidates; where they are close together (a query found on
// most lines) it reads the text in 64-byte blocks and finds character starts, line breaks and
// matches for a whole block at once. Either way a lookup costs about one pass over the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "vocabulary/text.h"

namespace xiulan {

class LineLookup {
 public:
  // Both views must outlive the lookup; the lines it yields point into the vocabulary.
  LineLookup(std::string_view vocabulary, std::string_view query);
  LineLookup(const Text& vocabulary, const Text& query)
      : LineLookup(vocabulary.bytes(), query.bytes()) {}

  // The next matching line, without its CR LF, or nothing once the last line has been tested.
  std::optional<std::string_view> next();

 private:
  std::optional<std::string_view> nextByCandidates();
  std::optional<std::string_view> nextByBlocks();
  void startBlocks();
  void stopBlocks();
  std::string_view lineBetween(std::size_t start, std::size_t end) const;

  std::size_t findCandidate(std::size_t from);
  bool isCharStart(std::size_t pos);
  std::size_t lineEndFrom(std::size_t from, std::size_t knownStart) const;
  std::size_t lineStartBefore(std::size_t pos) const;
  bool isDelimiterAt(std::size_t pos, std::size_t knownStart) const;

  std::string_view text_;
  std::string_view query_;
  bool queryHasLineBreakByte_ = false;
  std::size_t resume_ = 0;      // start of the line the search is in; every line before it is done
  std::size_t from_ = 0;        // where the candidate search goes on: resume_ or later in its line
  std::size_t knownStart_ = 0;  // a position known to start a character, at most the next candidate

  // The candidate search looks for one byte of the query, at this offset in it, while that
  // byte proves rare (see findCandidate); std::string_view::npos once it does not.
  std::size_t guard_ = std::string_view::npos;
  std::size_t guardMisses_ = 0;

  // The block scan. Its pending bits describe the 64 bytes before blockEnd_: matches at
  // character starts and line breaks (the CR of a real CR LF) not yet taken into account.
  bool blocks_ = false;
  std::size_t blockEnd_ = 0;
  std::uint64_t pendingMatches_ = 0;
  std::uint64_t pendingBreaks_ = 0;
  std::uint64_t nextIsSecondByte_ = 0;  // 1 when the byte at blockEnd_ ends a two-byte character
  unsigned idleBlocks_ = 0;             // blocks read since the last match
};

// Number of matching lines; for callers that need only the count.
std::int64_t countMatchingLines(std::string_view vocabulary, std::string_view query);

// The length of the longest prefix of text that ends with a line break (a CR LF whose CR starts
// a character), or 0 when there is none. Splitting there changes no line: the lines of the
// prefix followed by the lines of the rest are the lines of the whole text, so a text read in
// pieces can be looked up piece by piece.
std::size_t completeLinesLength(std::string_view text);

}  // namespace xiulan
