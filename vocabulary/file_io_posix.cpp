// POSIX whole-file I/O. File names are GBK inside the program and UTF-8 on disk.
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "vocabulary/file_io.h"

namespace xiulan::fileio {
namespace {

long systemWrite(int fd, const void* data, unsigned long size) {
  return ::write(fd, data, size);
}
testing::WriteCall gWrite = &systemWrite;

std::string toUtf8Name(const Text& name) {
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::string(name.bytes());
  std::string in(name.bytes());
  out.resize(in.size() * 3 + 4);
  char* src = in.data();
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1))
    return std::string(name.bytes());
  out.resize(out.size() - dstLeft);
  return out;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { close(); }
  int get() const { return fd_; }
  int close() {
    const int result = fd_ >= 0 ? ::close(fd_) : 0;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const long written = gWrite(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return errno ? errno : EIO;
    }
    if (written == 0)
      return ENOSPC;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool entryExists(const Text& name) {
  struct stat info {};
  return ::lstat(toUtf8Name(name).c_str(), &info) == 0;
}

std::optional<Bytes> readWhole(const Text& name) {
  Fd fd(::open(toUtf8Name(name).c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0)
    return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  Bytes bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return std::nullopt;
    if (n == 0)
      break;  // shorter than promised: keep what arrived
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

int replaceWhole(const Text& name, std::string_view bytes) {
  const std::string target = toUtf8Name(name);
  struct stat existing {};
  const bool exists = ::lstat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode))
    return EISDIR;
  // The owner's write bit plays the part of the read-only attribute, also for root.
  if (exists && (existing.st_mode & S_IWUSR) == 0)
    return EACCES;

  std::string temporary = target + ".XXXXXX";
  Fd fd(::mkstemp(temporary.data()));
  if (fd.get() < 0)
    return errno;
  auto fail = [&](int error) {
    fd.close();
    ::unlink(temporary.c_str());
    return error;
  };
  if (int error = writeAll(fd.get(), bytes))
    return fail(error);
  const mode_t mode = exists ? (existing.st_mode & 07777) : newFileMode();
  if (::fchmod(fd.get(), mode) != 0)
    return fail(errno);
  if (::fsync(fd.get()) != 0)
    return fail(errno);
  if (fd.close() != 0)
    return fail(errno);
  if (::rename(temporary.c_str(), target.c_str()) != 0)
    return fail(errno);
  // Make the rename itself durable.
  Fd dir(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0)
    ::fsync(dir.get());
  return 0;
}

Text describeError(int systemError) {
  return Text(std::string(std::strerror(systemError)));
}

namespace testing {
void setWriteCall(WriteCall call) {
  gWrite = call ? call : &systemWrite;
}
}  // namespace testing

}  // namespace xiulan::fileio
