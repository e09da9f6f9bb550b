// A simulated desktop with the program started in a fresh, empty directory of its own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "lookup_window/lookup_window.h"
#include "toolkit/sim/sim_desktop.h"

namespace xiulan::testing {

namespace fs = std::filesystem;

// The vocabulary file's name as it stands on a POSIX disk.
inline const fs::path kVocabularyOnDisk(u8"岫澜.txt");

class ProgramDirectory {
 public:
  ProgramDirectory() : previous_(fs::current_path()) {
    char pattern[] = "/tmp/xiulan-program-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
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

class DesktopTest : public ::testing::Test {
 protected:
  // Starts the program as start-up does once the current directory is set.
  toolkit::sim::SimWindow& start(const toolkit::WindowDefinition& definition =
                                     lookup::lookupWindowDefinition()) {
    auto* window = static_cast<toolkit::sim::SimWindow*>(desktop.createWindow(definition));
    if (!window) throw std::runtime_error("window not created");
    return *window;
  }

  ProgramDirectory directory;
  toolkit::sim::SimDesktop desktop;
};

}  // namespace xiulan::testing
