// Prints how many lines of a vocabulary file contain the query. The benchmark runs it as a
// process beside `grep -F -c`. The file is mapped rather than read into fresh memory: on a
// virtual machine the page faults of a 100 MB buffer cost more than the whole lookup.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "vocabulary/line_lookup.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: xiulan_count FILE QUERY\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  std::string_view bytes;
  if (size > 0) {
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (mapped == MAP_FAILED) {
      std::fprintf(stderr, "cannot map %s\n", argv[1]);
      return 2;
    }
    bytes = std::string_view(static_cast<const char*>(mapped), size);
  }
  // The text ends before the first NUL, as the program reads its file.
  bytes = bytes.substr(0, bytes.find('\0'));
  std::printf("%lld\n", static_cast<long long>(xiulan::countMatchingLines(bytes, argv[2])));
  return 0;
}
