#include "vocabulary/line_lookup.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define XIULAN_HAVE_SSE2 1
#endif

// Why this is correct without splitting: walking the character rule from the first byte, the
// position right after any byte below 0x80 is always a character start (that byte was either a
// one-byte character or the second byte of a two-byte one). So a position p starts a
// character exactly when the run of bytes >= 0x80 just before it, counted back to the last
// byte below 0x80 or to any position already known to start a character, has even length.
// A CR LF is a line break only where the CR starts a character, by the same test.

namespace xiulan {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

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
  while (j > floor && b[j - 1] >= 0x80) --j;
  return j;
}

}  // namespace

LineLookup::LineLookup(std::string_view vocabulary, std::string_view query)
    : text_(vocabulary), query_(query) {
  queryHasLineBreakByte_ = query_.find_first_of("\r\n") != std::string_view::npos;
}

std::size_t LineLookup::findCandidate(std::size_t from) const {
  const std::size_t n = text_.size();
  const std::size_t m = query_.size();
  if (from > n || m > n - from) return kNone;
  const unsigned char* b = bytesOf(text_);
  const unsigned char* q = bytesOf(query_);
  if (m == 1) {
    const void* hit = std::memchr(b + from, q[0], n - from);
    return hit ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - b) : kNone;
  }
  const std::size_t lastStart = n - m;
  std::size_t i = from;
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
      if (middleMatches(p)) return p;
    }
    i += 32;
  }
#endif
  for (; i <= lastStart; ++i) {
    if (b[i] == q[0] && b[i + m - 1] == q[m - 1] && middleMatches(i)) return i;
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
  if (pos + 1 >= text_.size() || text_[pos] != '\r' || text_[pos + 1] != '\n') return false;
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
      if (!hit) break;
      cr = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - b);
    }
    if (isDelimiterAt(cr, knownStart)) return cr;
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
    if ((lineFeeds & ((1u << (pos - resume_)) - 1u)) == 0) return resume_;
  }
#endif
  for (std::size_t lf = pos; lf > resume_ + 1;) {
    --lf;
    if (text_[lf] == '\n' && isDelimiterAt(lf - 1, resume_)) return lf + 1;
  }
  return resume_;
}

std::optional<std::string_view> LineLookup::next() {
  const std::size_t n = text_.size();
  const std::size_t m = query_.size();
  if (m == 0) {
    // findText finds an empty needle in every non-empty haystack.
    while (resume_ < n) {
      const std::size_t start = resume_;
      const std::size_t end = lineEndFrom(start, start);
      resume_ = end == n ? n : end + 2;
      knownStart_ = resume_;
      if (end > start) return text_.substr(start, end - start);
    }
    return std::nullopt;
  }
  std::size_t from = resume_;
  for (;;) {
    const std::size_t p = findCandidate(from);
    if (p == kNone) {
      resume_ = knownStart_ = n;
      return std::nullopt;
    }
    from = p + 1;
    if (!isCharStart(p)) continue;
    // A query holding CR or LF bytes may straddle a line break or begin on its LF.
    if (queryHasLineBreakByte_ && p > resume_ && text_[p] == '\n' && isDelimiterAt(p - 1, resume_)) {
      continue;
    }
    const std::size_t end = lineEndFrom(queryHasLineBreakByte_ ? p : p + m, p);
    if (p + m > end) continue;
    const std::size_t start = lineStartBefore(p);
    resume_ = knownStart_ = end == n ? n : end + 2;
    return text_.substr(start, end - start);
  }
}

std::int64_t countMatchingLines(std::string_view vocabulary, std::string_view query) {
  std::int64_t count = 0;
  for (LineLookup lookup(vocabulary, query); lookup.next();) ++count;
  return count;
}

}  // namespace xiulan
