#include "vocabulary/line_lookup.h"

#include <bit>
#include <cstring>

// XIULAN_PORTABLE_SCAN builds the plain C++ scan on any machine, so that it can be tested on
// one with SSE2 too.
#if !defined(XIULAN_PORTABLE_SCAN) && \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#include <emmintrin.h>
#define XIULAN_HAVE_SSE2 1
#endif

// Why this is correct without splitting: walking the character rule from the first byte, the
// position right after any byte below 0x80 is always a character start (that byte was either a
// one-byte character or the second byte of a two-byte one). So a position p starts a
// character exactly when the run of bytes >= 0x80 just before it, counted back to the last
// byte below 0x80 or to any position already known to start a character, has even length.
// A CR LF is a line break only where the CR starts a character, by the same test.
//
// The block scan applies the same rule to 64 positions at once: within each run of high bytes
// that begins at a character start, the bytes at even offsets are lead bytes and the byte after
// each lead is a second byte. Which byte of a block is a second byte then follows from the
// block's high-byte bits and one bit carried over from the block before.

namespace xiulan {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The block scan pays for itself only where matches are close together: after a match found
// by candidates within this many bytes of where the search began, the lookup goes on by
// blocks, and it goes back to candidates after this many blocks in a row without a match.
constexpr std::size_t kCloseMatch = 2048;
constexpr unsigned kIdleBlockLimit = 32;

// The candidate search first looks only for the query's rarest byte by a rough idea of what
// is common in a vocabulary, as long as its hits that are not the query stay fewer than
// kGuardMissAllowance and one per kGuardMissSpacing bytes.
constexpr std::size_t kGuardMissAllowance = 16;
constexpr std::size_t kGuardMissSpacing = 256;

// How common a byte is in vocabulary text, higher for more common. Lower-case letters rank by
// their frequency in English; digits (every line is numbered), spaces and line ends are common;
// a byte of a two-byte character ranks in the middle, as its values are spread over thousands of
// characters; upper case and punctuation are rare.
int commonness(unsigned char byte) {
  constexpr std::string_view kLettersRarestFirst = "zqxjkvbpygfwmucldrhsnioate";
  if (byte >= 'a' && byte <= 'z') {
    return static_cast<int>(kLettersRarestFirst.find(static_cast<char>(byte)));
  }
  if (byte >= 0x80)
    return 13;
  if ((byte >= '0' && byte <= '9') || byte == ' ' || byte == '\r' || byte == '\n')
    return 20;
  return 0;
}

const unsigned char* bytesOf(std::string_view view) {
  return reinterpret_cast<const unsigned char*>(view.data());
}

// The smallest j in [floor, pos] such that every byte in [j, pos) is 0x80 or above.
std::size_t highRunStart(const unsigned char* b, std::size_t floor, std::size_t pos) {
  std::size_t j = pos;
#ifdef XIULAN_HAVE_SSE2
  while (j - floor >= 16) {
    const auto chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j - 16));
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(chunk));
    if (high == 0xFFFFu) {
      j -= 16;
      continue;
    }
    const unsigned low = ~high & 0xFFFFu;
    return j - 16 + static_cast<std::size_t>(std::bit_width(low));
  }
#endif
  while (j > floor && b[j - 1] >= 0x80)
    --j;
  return j;
}

// The bits below bit `count` (count < 64).
std::uint64_t bitsBelow(unsigned count) {
  return (std::uint64_t{1} << count) - 1;
}

unsigned lowestBit(std::uint64_t bits) {
  return static_cast<unsigned>(std::countr_zero(bits));
}
unsigned highestBit(std::uint64_t bits) {
  return 63u - static_cast<unsigned>(std::countl_zero(bits));
}

// Which bytes of a 64-byte block are second bytes of two-byte characters, from the block's
// high-byte bits. `carry` says whether the block's first byte is one; on return it says the
// same of the byte after the block.
//
// Take the high bytes that do not already end a character: each of their runs begins at a
// character start, so its lead bytes sit at even offsets from the run's start.
// ((runs << 1) | odd bits) - runs, with the odd bits flipped back, is exactly those lead bytes
// plus the low byte after each run of odd length (the second byte of the run's last
// character): the borrows of the subtraction line the pattern up with each run's own start,
// whether that is at an even or an odd position. It is the arithmetic that finds characters
// escaped by runs of backslashes.
std::uint64_t secondBytes(std::uint64_t high, std::uint64_t& carry) {
  constexpr std::uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAull;
  const std::uint64_t runs = high & ~carry;
  const std::uint64_t leadsAndLowSeconds = (((runs << 1) | kOddBits) - runs) ^ kOddBits;
  const std::uint64_t seconds = leadsAndLowSeconds ^ (high | carry);
  carry = (leadsAndLowSeconds & high) >> 63;
  return seconds;
}

// The raw facts about one 64-byte block, before the character rule is applied.
struct BlockBits {
  std::uint64_t high = 0;        // bytes 0x80 and above
  std::uint64_t crlf = 0;        // a CR followed by an LF
  std::uint64_t candidates = 0;  // the query's first byte, and its last byte where it would end
};

class BlockReader {
 public:
  // The query must not be empty.
  explicit BlockReader(std::string_view query)
      : lastOffset_(query.size() - 1),
        first_(static_cast<unsigned char>(query.front())),
        last_(static_cast<unsigned char>(query.back())) {}

  // How many bytes from the block's start read() looks at.
  std::size_t span() const { return 64 + (lastOffset_ > 1 ? lastOffset_ : 1); }

  BlockBits read(const unsigned char* at) const {
    BlockBits bits;
#ifdef XIULAN_HAVE_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i first = _mm_set1_epi8(static_cast<char>(first_));
    const __m128i last = _mm_set1_epi8(static_cast<char>(last_));
    for (unsigned k = 0; k < 64; k += 16) {
      const auto head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k));
      const auto next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k + 1));
      const auto tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k + lastOffset_));
      const auto crlf = _mm_and_si128(_mm_cmpeq_epi8(head, cr), _mm_cmpeq_epi8(next, lf));
      const auto both = _mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last));
      bits.high |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(head))} << k;
      bits.crlf |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(crlf))} << k;
      bits.candidates |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(both))} << k;
    }
#else
    for (unsigned k = 0; k < 64; ++k) {
      const std::uint64_t bit = std::uint64_t{1} << k;
      if (at[k] >= 0x80)
        bits.high |= bit;
      if (at[k] == '\r' && at[k + 1] == '\n')
        bits.crlf |= bit;
      if (at[k] == first_ && at[k + lastOffset_] == last_)
        bits.candidates |= bit;
    }
#endif
    return bits;
  }

 private:
  std::size_t lastOffset_;
  unsigned char first_;
  unsigned char last_;
};

}  // namespace

LineLookup::LineLookup(std::string_view vocabulary, std::string_view query)
    : text_(vocabulary), query_(query) {
  queryHasLineBreakByte_ = query_.find_first_of("\r\n") != std::string_view::npos;
  if (query_.size() >= 2) {
    guard_ = 0;
    for (std::size_t i = 1; i < query_.size(); ++i) {
      if (commonness(bytesOf(query_)[i]) < commonness(bytesOf(query_)[guard_]))
        guard_ = i;
    }
  }
}

std::size_t LineLookup::findCandidate(std::size_t from) {
  const std::size_t n = text_.size();
  const std::size_t m = query_.size();
  if (from > n || m > n - from)
    return kNone;
  const unsigned char* b = bytesOf(text_);
  const unsigned char* q = bytesOf(query_);
  if (m == 1) {
    const void* hit = std::memchr(b + from, q[0], n - from);
    return hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - b) : kNone;
  }
  const std::size_t lastStart = n - m;
  std::size_t i = from;
  if (guard_ != kNone) {
    // memchr for the guard byte runs at memory speed; each hit is checked in full.
    const std::size_t g = guard_;
    while (i <= lastStart) {
      const void* hit = std::memchr(b + i + g, q[g], lastStart - i + 1);
      if (!hit)
        return kNone;
      const std::size_t p =
          static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - b) - g;
      if (std::memcmp(b + p, q, m) == 0)
        return p;
      i = p + 1;
      // Too many hits that are not the query: the guard byte is common in this text after
      // all, and the filter on two bytes at once below wastes less.
      if (++guardMisses_ > kGuardMissAllowance + i / kGuardMissSpacing) {
        guard_ = kNone;
        break;
      }
    }
    if (guard_ != kNone)
      return kNone;
  }
  auto middleMatches = [&](std::size_t p) {
    return m <= 2 || std::memcmp(b + p + 1, q + 1, m - 2) == 0;
  };
#ifdef XIULAN_HAVE_SSE2
  // Compare the query's first byte and its last byte at every position of a block at once;
  // only positions where both agree are checked in full.
  const __m128i first = _mm_set1_epi8(static_cast<char>(q[0]));
  const __m128i last = _mm_set1_epi8(static_cast<char>(q[m - 1]));
  auto blockMask = [&](std::size_t at) {
    const auto head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
    const auto tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at + m - 1));
    const auto both = _mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last));
    return static_cast<unsigned>(_mm_movemask_epi8(both));
  };
  while (i <= lastStart && lastStart - i >= 31) {
    const unsigned mask = blockMask(i) | (blockMask(i + 16) << 16);
    for (unsigned rest = mask; rest != 0; rest &= rest - 1) {
      const std::size_t p = i + static_cast<std::size_t>(std::countr_zero(rest));
      if (middleMatches(p))
        return p;
    }
    i += 32;
  }
#endif
  for (; i <= lastStart; ++i) {
    if (b[i] == q[0] && b[i + m - 1] == q[m - 1] && middleMatches(i))
      return i;
  }
  return kNone;
}

bool LineLookup::isCharStart(std::size_t pos) {
  const std::size_t runStart = highRunStart(bytesOf(text_), knownStart_, pos);
  const bool start = ((pos - runStart) & 1u) == 0;
  // Either pos or the lead byte just before it starts a character; later candidates need not
  // look back past it.
  knownStart_ = start ? pos : pos - 1;
  return start;
}

bool LineLookup::isDelimiterAt(std::size_t pos, std::size_t knownStart) const {
  if (pos + 1 >= text_.size() || text_[pos] != '\r' || text_[pos + 1] != '\n')
    return false;
  return ((pos - highRunStart(bytesOf(text_), knownStart, pos)) & 1u) == 0;
}

std::size_t LineLookup::lineEndFrom(std::size_t from, std::size_t knownStart) const {
  const std::size_t n = text_.size();
  const unsigned char* b = bytesOf(text_);
  while (from < n) {
    std::size_t cr = kNone;
#ifdef XIULAN_HAVE_SSE2
    // Vocabulary lines are short: look at the next 16 bytes inline before calling memchr.
    if (n - from >= 16) {
      const auto chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + from));
      const unsigned hits =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r'))));
      if (hits != 0) {
        cr = from + static_cast<std::size_t>(std::countr_zero(hits));
      } else {
        from += 16;
        continue;
      }
    }
#endif
    if (cr == kNone) {
      const void* hit = std::memchr(b + from, '\r', n - from);
      if (!hit)
        break;
      cr = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - b);
    }
    if (isDelimiterAt(cr, knownStart))
      return cr;
    from = cr + 1;
  }
  return n;
}

std::size_t LineLookup::lineStartBefore(std::size_t pos) const {
#ifdef XIULAN_HAVE_SSE2
  // The usual case: the match lies near the start of the region, with no LF before it.
  if (pos - resume_ <= 16 && text_.size() - resume_ >= 16) {
    const auto chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytesOf(text_) + resume_));
    const unsigned lineFeeds =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n'))));
    if ((lineFeeds & ((1u << (pos - resume_)) - 1u)) == 0)
      return resume_;
  }
#endif
  for (std::size_t lf = pos; lf > resume_ + 1;) {
    --lf;
    if (text_[lf] == '\n' && isDelimiterAt(lf - 1, resume_))
      return lf + 1;
  }
  return resume_;
}

std::string_view LineLookup::lineBetween(std::size_t start, std::size_t end) const {
  // Both ends lie in the text by construction; substr would only add a range check that throws.
  return std::string_view(text_.data() + start, end - start);
}

std::optional<std::string_view> LineLookup::next() {
  if (query_.empty()) {
    // findText finds an empty needle in every non-empty haystack.
    const std::size_t n = text_.size();
    while (resume_ < n) {
      const std::size_t start = resume_;
      const std::size_t end = lineEndFrom(start, start);
      resume_ = end == n ? n : end + 2;
      knownStart_ = from_ = resume_;
      if (end > start)
        return lineBetween(start, end);
    }
    return std::nullopt;
  }
  return blocks_ ? nextByBlocks() : nextByCandidates();
}

std::optional<std::string_view> LineLookup::nextByCandidates() {
  const std::size_t n = text_.size();
  const std::size_t m = query_.size();
  const std::size_t searchStart = from_;
  for (;;) {
    const std::size_t p = findCandidate(from_);
    if (p == kNone) {
      resume_ = from_ = knownStart_ = n;
      return std::nullopt;
    }
    from_ = p + 1;
    if (!isCharStart(p))
      continue;
    // A query holding CR or LF bytes may straddle a line break or begin on its LF.
    if (queryHasLineBreakByte_ && p > resume_ && text_[p] == '\n' &&
        isDelimiterAt(p - 1, resume_)) {
      continue;
    }
    const std::size_t end = lineEndFrom(queryHasLineBreakByte_ ? p : p + m, p);
    if (p + m > end)
      continue;
    const std::size_t start = lineStartBefore(p);
    resume_ = from_ = knownStart_ = end == n ? n : end + 2;
    // A query with CR or LF bytes can match across lines, which the block scan does not
    // look for; it is rare enough to leave to the candidate search.
    if (!queryHasLineBreakByte_ && p - searchStart < kCloseMatch)
      startBlocks();
    return lineBetween(start, end);
  }
}

void LineLookup::startBlocks() {
  // resume_ starts a line, so it starts a character and its line has no match yet.
  blocks_ = true;
  blockEnd_ = resume_;
  pendingMatches_ = pendingBreaks_ = nextIsSecondByte_ = 0;
  idleBlocks_ = 0;
}

void LineLookup::stopBlocks() {
  // Every candidate before blockEnd_ has been tested and every line break before it taken
  // into account; the byte at blockEnd_ starts a character unless it is a second byte.
  blocks_ = false;
  from_ = blockEnd_;
  knownStart_ = blockEnd_ - static_cast<std::size_t>(nextIsSecondByte_);
}

std::optional<std::string_view> LineLookup::nextByBlocks() {
  const std::size_t n = text_.size();
  const std::size_t m = query_.size();
  const unsigned char* b = bytesOf(text_);
  const unsigned char* q = bytesOf(query_);
  const BlockReader reader(query_);
  const std::size_t span = reader.span();
  // Reads the block at blockEnd_ and keeps its matches and line breaks, which count only
  // where they start a character.
  auto readBlock = [&] {
    const BlockBits bits = reader.read(b + blockEnd_);
    const std::uint64_t seconds = secondBytes(bits.high, nextIsSecondByte_);
    pendingMatches_ = bits.candidates & ~seconds;
    pendingBreaks_ = bits.crlf & ~seconds;
    blockEnd_ += 64;
  };
  for (;;) {
    if (pendingMatches_ == 0) {
      if (pendingBreaks_ != 0) {
        resume_ = blockEnd_ - 64 + highestBit(pendingBreaks_) + 2;
        pendingBreaks_ = 0;
      }
      if (idleBlocks_ >= kIdleBlockLimit || n - blockEnd_ < span) {
        stopBlocks();
        return nextByCandidates();
      }
      readBlock();
      ++idleBlocks_;
      continue;
    }
    const unsigned bit = lowestBit(pendingMatches_);
    pendingMatches_ &= pendingMatches_ - 1;
    const std::uint64_t breaksBefore = pendingBreaks_ & bitsBelow(bit);
    if (breaksBefore != 0) {
      resume_ = blockEnd_ - 64 + highestBit(breaksBefore) + 2;
      pendingBreaks_ &= ~breaksBefore;
    }
    const std::size_t p = blockEnd_ - 64 + bit;
    if (m > 2 && std::memcmp(b + p + 1, q + 1, m - 2) != 0)
      continue;
    // The query holds no CR or LF, so the match lies wholly in the line that begins at
    // resume_; the line ends at the next line break.
    idleBlocks_ = 0;
    const std::size_t start = resume_;
    while (pendingBreaks_ == 0) {
      if (n - blockEnd_ < span) {
        stopBlocks();
        const std::size_t end = lineEndFrom(blockEnd_, knownStart_);
        resume_ = from_ = knownStart_ = end == n ? n : end + 2;
        return lineBetween(start, end);
      }
      readBlock();
    }
    const unsigned endBit = lowestBit(pendingBreaks_);
    pendingBreaks_ &= pendingBreaks_ - 1;
    pendingMatches_ &= ~bitsBelow(endBit);
    const std::size_t end = blockEnd_ - 64 + endBit;
    resume_ = end + 2;
    return lineBetween(start, end);
  }
}

std::int64_t countMatchingLines(std::string_view vocabulary, std::string_view query) {
  std::int64_t count = 0;
  for (LineLookup lookup(vocabulary, query); lookup.next();)
    ++count;
  return count;
}

std::size_t completeLinesLength(std::string_view text) {
  const unsigned char* b = bytesOf(text);
  // The last line break is usually a few bytes from the end; look back for it.
  for (std::size_t lf = text.size(); lf >= 2; --lf) {
    const std::size_t cr = lf - 2;
    if (b[cr] != '\r' || b[cr + 1] != '\n')
      continue;
    // The text's first byte starts a character, so the run before the CR can be counted back
    // to it. Runs before different CRs do not overlap, so this stays one pass over the text.
    if (((cr - highRunStart(b, 0, cr)) & 1u) == 0)
      return cr + 2;
  }
  return 0;
}

}  // namespace xiulan
