// LineLookup: the lines of a vocabulary that contain a query, in vocabulary order.
//
// A line is a member of splitText(vocabulary, "\r\n") and it matches when findText finds the
// query in it. The result is exactly that composition's, but computed without splitting:
// the scan jumps from one occurrence of the query's bytes to the next and checks only those
// candidates, so a lookup over a large dictionary costs about one pass over its bytes.
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
  std::size_t findCandidate(std::size_t from) const;
  bool isCharStart(std::size_t pos);
  std::size_t lineEndFrom(std::size_t from, std::size_t knownStart) const;
  std::size_t lineStartBefore(std::size_t pos) const;
  bool isDelimiterAt(std::size_t pos, std::size_t knownStart) const;

  std::string_view text_;
  std::string_view query_;
  bool queryHasLineBreakByte_ = false;
  std::size_t resume_ = 0;      // a line start: where the search goes on
  std::size_t knownStart_ = 0;  // a position known to start a character, at most the next candidate
};

// Number of matching lines; for callers that need only the count.
std::int64_t countMatchingLines(std::string_view vocabulary, std::string_view query);

}  // namespace xiulan
