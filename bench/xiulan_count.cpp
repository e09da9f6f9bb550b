// Prints how many lines of a vocabulary file contain the query. The benchmark runs it as a
// process beside `grep -F -c`.
//
// The file is read in pieces into one reused buffer rather than mapped or read whole: mapping
// 100 MB costs page-table work for every page, and a fresh 100 MB buffer costs a page fault for
// every page, either of which takes longer than the lookup itself. A small buffer also stays
// in the processor's cache while it is searched. Each piece is looked up to its last line
// break and the unfinished line is carried into the next piece, which gives the same lines,
// and so the same count, as a lookup over the whole text.
//
// The buffer is plain malloc memory and nothing here can throw, so the program needs no C++
// runtime library; loading one would cost a millisecond of a run that takes about twenty.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "vocabulary/line_lookup.h"

namespace {

constexpr std::size_t kPieceSize = 256 * 1024;

int fail(const char* what, const char* file) {
  std::fprintf(stderr, "cannot %s %s\n", what, file);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: xiulan_count FILE QUERY\n");
    return 2;
  }
  const std::string_view query = argv[2];
  const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return fail("read", argv[1]);
  std::size_t capacity = kPieceSize;
  char* buffer = static_cast<char*>(std::malloc(capacity));
  if (!buffer)
    return fail("allocate memory for", argv[1]);
  std::size_t held = 0;  // bytes of an unfinished line at the start of the buffer
  long long count = 0;
  for (;;) {
    if (held == capacity) {
      // A line longer than the buffer: make room for the rest of it.
      char* grown = static_cast<char*>(std::realloc(buffer, capacity * 2));
      if (!grown)
        return fail("allocate memory for", argv[1]);
      buffer = grown;
      capacity *= 2;
    }
    const ssize_t got = read(fd, buffer + held, capacity - held);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return fail("read", argv[1]);
    if (got == 0)
      break;
    // The text ends before the first NUL, as the program reads its file.
    const auto fresh = static_cast<std::size_t>(got);
    if (const void* nul = std::memchr(buffer + held, '\0', fresh)) {
      held = static_cast<std::size_t>(static_cast<const char*>(nul) - buffer);
      break;
    }
    held += fresh;
    const std::size_t complete = xiulan::completeLinesLength(std::string_view(buffer, held));
    count += xiulan::countMatchingLines(std::string_view(buffer, complete), query);
    std::memmove(buffer, buffer + complete, held - complete);
    held -= complete;
  }
  count += xiulan::countMatchingLines(std::string_view(buffer, held), query);
  close(fd);
  std::free(buffer);
  std::printf("%lld\n", count);
  return 0;
}
