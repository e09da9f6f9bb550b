// A simulated desktop with the program started in a fresh, empty directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "lookup_window/lookup_window.h"
#include "toolkit/sim/sim_desktop.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan {

// Failures show a Text as its bytes.
inline void PrintTo(const Text& text, std::ostream* out) {
  *out << ::testing::PrintToString(std::string(text.bytes()));
}

}  // namespace xiulan

namespace xiulan::testing {

namespace fs = std::filesystem;

// The vocabulary file's name as it stands on a POSIX disk.
inline const fs::path kVocabularyOnDisk(u8"岫澜.txt");

class ProgramDirectory {
 public:
  ProgramDirectory() : previous_(fs::current_path()) {
    char pattern[] = "/tmp/xiulan-program-XXXXXX";
    if (!::mkdtemp(pattern))
      throw std::runtime_error("mkdtemp failed");
    directory_ = pattern;
    fs::current_path(directory_);
  }
  ~ProgramDirectory() {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }
  const fs::path& path() const { return directory_; }

  static void putVocabulary(const std::string& bytes) {
    std::ofstream(kVocabularyOnDisk, std::ios::binary) << bytes;
  }
  static std::string vocabularyOnDisk() {
    std::ifstream in(kVocabularyOnDisk, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  fs::path previous_;
  fs::path directory_;
};

// The program's icon file, the window icon of the real program.
inline Bytes programIconFile() {
  std::ifstream in(XIULAN_ICON_FILE, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Line `number` (from 1) of the built-in list, without its CR LF.
inline Text builtInLine(std::size_t number) {
  static const std::vector<Text> lines = splitText(Text(kBuiltInVocabulary), "\r\n");
  return lines.at(number - 1);
}

// The given lines of the built-in list, each followed by CR LF.
inline Text builtInLines(std::initializer_list<std::size_t> numbers) {
  std::string text;
  for (const std::size_t number : numbers) {
    text.append(builtInLine(number).bytes());
    text.append("\r\n");
  }
  return Text(std::move(text));
}

class DesktopTest : public ::testing::Test {
 protected:
  DesktopTest() { desktop.setProgramIcon(programIconFile()); }

  // Starts the program as start-up does once the current directory is set.
  toolkit::sim::SimWindow& start(
      const toolkit::WindowDefinition& definition = lookup::lookupWindowDefinition()) {
    auto* window = static_cast<toolkit::sim::SimWindow*>(desktop.createWindow(definition));
    if (!window)
      throw std::runtime_error("window not created");
    return *window;
  }

  ProgramDirectory directory;
  toolkit::sim::SimDesktop desktop;
};

}  // namespace xiulan::testing
