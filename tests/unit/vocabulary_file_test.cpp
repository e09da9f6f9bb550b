#include "vocabulary/vocabulary_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/file_io.h"

namespace xiulan {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The file's name as it stands on a POSIX disk (the program spells it in GBK).
const fs::path kOnDisk(u8"岫澜.txt");

// Each test runs in a fresh, empty current directory, as the program runs beside its file.
class VocabularyFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    char pattern[] = "/tmp/xiulan-file-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    directory_ = pattern;
    fs::current_path(directory_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::permissions(directory_ / kOnDisk, fs::perms::owner_all, ignored);
    fs::remove_all(directory_, ignored);
  }

  static void put(const std::string& bytes) { std::ofstream(kOnDisk, std::ios::binary) << bytes; }
  static std::string onDisk() {
    std::ifstream in(kOnDisk, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Every entry of the directory, so a left-behind temporary file shows up.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path previous_;
  fs::path directory_;
};

TEST_F(VocabularyFileTest, ReadsWhatIsOnDisk) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"zero bytes", "", ""},
      {"a NUL inside", "ab\0cd"s, "ab"},
      {"LF-only lines", "a\nb\n", "a\nb\n"},
      {"UTF-8 byte-order mark",
       "\xEF\xBB\xBF"
       "001、file",
       "\xEF\xBB\xBF"
       "001、file"},
      {"lone CR and bytes that are not GBK", "\x80\xFF\r\x81", "\x80\xFF\r\x81"},
  };
  for (const Case& c : cases) {
    put(c.bytes);
    EXPECT_TRUE(VocabularyFile::exists()) << c.what;
    EXPECT_EQ(VocabularyFile::readText().bytes(), c.expected) << c.what;
  }
}

TEST_F(VocabularyFileTest, MissingFile) {
  EXPECT_FALSE(VocabularyFile::exists());
  EXPECT_EQ(VocabularyFile::readText(), Text());
}

TEST_F(VocabularyFileTest, WritesExactBytesAndNothingElse) {
  const Text builtIn(kBuiltInVocabulary);
  EXPECT_TRUE(VocabularyFile::writeText(builtIn).written);
  EXPECT_EQ(onDisk(), std::string(kBuiltInVocabulary));
  EXPECT_EQ(onDisk().substr(onDisk().size() - 2), "额");  // no CR LF after the last line

  put("an older, longer list that must be replaced entirely");
  EXPECT_TRUE(VocabularyFile::writeText("new").written);
  EXPECT_EQ(onDisk(), "new");

  EXPECT_TRUE(VocabularyFile::writeText(Text()).written);
  EXPECT_TRUE(fs::exists(kOnDisk));
  EXPECT_EQ(fs::file_size(kOnDisk), 0u);
  EXPECT_EQ(entries(), std::vector<std::string>{kOnDisk.string()});
}

TEST_F(VocabularyFileTest, DirectoryOfThatName) {
  fs::create_directory(kOnDisk);
  EXPECT_TRUE(VocabularyFile::exists());
  EXPECT_EQ(VocabularyFile::readText(), Text());
  const WriteOutcome outcome = VocabularyFile::writeText("x");
  EXPECT_FALSE(outcome.written);
  EXPECT_TRUE(fs::is_directory(kOnDisk));
  EXPECT_TRUE(fs::is_empty(kOnDisk));
  EXPECT_EQ(entries(), std::vector<std::string>{kOnDisk.string()});
}

TEST_F(VocabularyFileTest, ReadOnlyFileStaysAsItWas) {
  put("kept");
  fs::permissions(kOnDisk, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(VocabularyFile::readText().bytes(), "kept");
  const WriteOutcome outcome = VocabularyFile::writeText("lost");
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(outcome.systemError, EACCES);
  EXPECT_EQ(onDisk(), "kept");
  EXPECT_EQ(entries(), std::vector<std::string>{kOnDisk.string()});
}

TEST_F(VocabularyFileTest, ReplacingKeepsTheFilesPermissions) {
  put("old");
  fs::permissions(kOnDisk, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(VocabularyFile::writeText("new").written);
  EXPECT_EQ(fs::status(kOnDisk).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(VocabularyFileTest, UsesTheCurrentDirectory) {
  put("here");
  fs::create_directory("elsewhere");
  fs::current_path("elsewhere");
  EXPECT_FALSE(VocabularyFile::exists());
  EXPECT_TRUE(VocabularyFile::writeText("there").written);
  fs::current_path(directory_);
  EXPECT_EQ(onDisk(), "here");
  EXPECT_EQ(VocabularyFile::readText().bytes(), "here");
}

// A write() that stores part of the data and then reports a full disk.
long halfThenDiskFull(int fd, const void* data, unsigned long size) {
  static bool wroteHalf = false;
  if (!wroteHalf && size > 1) {
    wroteHalf = true;
    return ::write(fd, data, size / 2);
  }
  wroteHalf = false;
  errno = ENOSPC;
  return -1;
}

TEST_F(VocabularyFileTest, FailureMidwayKeepsTheOldListWhenTheDiskFillsUp) {
  put(std::string(kBuiltInVocabulary));
  fileio::testing::setWriteCall(&halfThenDiskFull);
  const WriteOutcome outcome = VocabularyFile::writeText("a new list that will not fit");
  fileio::testing::setWriteCall(nullptr);
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(outcome.systemError, ENOSPC);
  EXPECT_EQ(onDisk(), std::string(kBuiltInVocabulary));
  EXPECT_EQ(entries(), std::vector<std::string>{kOnDisk.string()});
}

TEST_F(VocabularyFileTest, FailureOnARealFullFileSystemKeepsTheOldList) {
  // A 64 KiB tmpfs of our own; mounting needs privileges that a test machine may not grant.
  fs::create_directory("small");
  if (::mount("tmpfs", "small", "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                 << "); the same path is covered by FailureMidwayKeepsTheOldListWhenTheDiskFillsUp";
  }
  struct Unmount {
    fs::path at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{directory_ / "small"};
  fs::current_path("small");
  put(std::string(kBuiltInVocabulary));
  const std::string tooBig(200 * 1024, 'x');
  const WriteOutcome outcome = VocabularyFile::writeText(Text(tooBig));
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(outcome.systemError, ENOSPC);
  EXPECT_EQ(onDisk(), std::string(kBuiltInVocabulary));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator("."))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{kOnDisk.string()});
  fs::current_path(directory_);
}

}  // namespace
}  // namespace xiulan
