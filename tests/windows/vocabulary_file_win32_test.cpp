// The vocabulary file on Windows: the same promises as on POSIX, through the Win32 layer
// (wide-character names from GBK, a read-only attribute, a replace in one step).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vocabulary/builtin_vocabulary.h"
#include "vocabulary/vocabulary_file.h"

namespace xiulan {
namespace {

const wchar_t kName[] = L"岫澜.txt";

class VocabularyFileWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    GetCurrentDirectoryW(MAX_PATH, previous_);
    for (unsigned attempt = GetTickCount();; ++attempt) {
      directory_ = std::wstring(base) + L"xiulan-file-" + std::to_wstring(attempt);
      if (CreateDirectoryW(directory_.c_str(), nullptr))
        break;
    }
    SetCurrentDirectoryW(directory_.c_str());
  }
  void TearDown() override {
    SetFileAttributesW(kName, FILE_ATTRIBUTE_NORMAL);
    for (const std::wstring& name : entries()) {
      DeleteFileW(name.c_str());
      RemoveDirectoryW(name.c_str());
    }
    SetCurrentDirectoryW(previous_);
    RemoveDirectoryW(directory_.c_str());
  }

  static void put(const std::string& bytes) { std::ofstream(kName, std::ios::binary) << bytes; }
  static std::string onDisk() {
    std::ifstream in(kName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::vector<std::wstring> entries() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"*", &entry);
    if (find == INVALID_HANDLE_VALUE)
      return names;
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..")
        names.push_back(name);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
  }

  wchar_t previous_[MAX_PATH + 1] = {};
  std::wstring directory_;
};

TEST_F(VocabularyFileWin32Test, SeedsReplacesAndEmptiesUnderItsChineseName) {
  EXPECT_FALSE(VocabularyFile::exists());
  EXPECT_TRUE(VocabularyFile::writeText(Text(kBuiltInVocabulary)).written);
  EXPECT_EQ(onDisk(), std::string(kBuiltInVocabulary));
  EXPECT_EQ(entries(), std::vector<std::wstring>{kName});

  EXPECT_TRUE(VocabularyFile::writeText("new").written);  // replaces an existing file
  EXPECT_EQ(onDisk(), "new");
  EXPECT_EQ(VocabularyFile::readText().bytes(), "new");

  EXPECT_TRUE(VocabularyFile::writeText(Text()).written);
  EXPECT_TRUE(VocabularyFile::exists());
  EXPECT_EQ(onDisk(), "");
  EXPECT_EQ(VocabularyFile::readText(), Text());
  EXPECT_EQ(entries(), std::vector<std::wstring>{kName});
}

TEST_F(VocabularyFileWin32Test, ReadsBytesUpToTheFirstNul) {
  put(std::string("ab\0cd", 5));
  EXPECT_EQ(VocabularyFile::readText().bytes(), "ab");
  put("\xEF\xBB\xBF"
      "a\nb\r\x80");
  EXPECT_EQ(VocabularyFile::readText().bytes(),
            "\xEF\xBB\xBF"
            "a\nb\r\x80");
}

TEST_F(VocabularyFileWin32Test, LeavesAReadOnlyFileAndADirectoryAlone) {
  put("kept");
  SetFileAttributesW(kName, FILE_ATTRIBUTE_READONLY);
  const WriteOutcome readOnly = VocabularyFile::writeText("lost");
  EXPECT_FALSE(readOnly.written);
  EXPECT_NE(readOnly.systemError, 0);
  EXPECT_EQ(onDisk(), "kept");
  EXPECT_EQ(VocabularyFile::readText().bytes(), "kept");
  EXPECT_EQ(entries(), std::vector<std::wstring>{kName});
  SetFileAttributesW(kName, FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(kName);

  ASSERT_TRUE(CreateDirectoryW(kName, nullptr));
  EXPECT_TRUE(VocabularyFile::exists());
  EXPECT_EQ(VocabularyFile::readText(), Text());
  EXPECT_FALSE(VocabularyFile::writeText("x").written);
  EXPECT_EQ(entries(), std::vector<std::wstring>{kName});
}

TEST_F(VocabularyFileWin32Test, AFileHeldOpenForWritingIsNeitherReadNorReplaced) {
  put("held");
  HANDLE other =
      CreateFileW(kName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(VocabularyFile::readText(), Text());  // readers let others read, not write
  EXPECT_FALSE(VocabularyFile::writeText("lost").written);
  CloseHandle(other);
  EXPECT_EQ(onDisk(), "held");
  EXPECT_EQ(entries(), std::vector<std::wstring>{kName});
}

}  // namespace
}  // namespace xiulan
