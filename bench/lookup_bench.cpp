// LineLookup over a large generated vocabulary, measured against floors in the same run:
//   whole process: xiulan_count against `LC_ALL=C grep -F -c` on the same file;
//   in process: LineLookup against a memchr scan for an absent byte and a memchr count of CRs.
// Every figure is the best of several runs; ratios matter, not the absolute times.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/vocabulary_generator.h"
#include "vocabulary/file_io.h"
#include "vocabulary/line_lookup.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 7;
constexpr const char* kOutputFile = "/tmp/xiulan-bench-output";

template <class F>
double seconds(F&& run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <class F>
double bestSeconds(F&& run) {
  double best = 1e30;
  for (int i = 0; i < kRuns; ++i)
    best = std::min(best, seconds(run));
  return best;
}

// The best times of two runs taken in turn, so that a change in the machine's load while
// they are measured weighs on both alike.
template <class F, class G>
std::pair<double, double> bestSecondsInTurn(F&& first, G&& second) {
  std::pair<double, double> best{1e30, 1e30};
  for (int i = 0; i < kRuns; ++i) {
    best.first = std::min(best.first, seconds(first));
    best.second = std::min(best.second, seconds(second));
  }
  return best;
}

// Runs a command and waits for it. Its output goes to a scratch file, not /dev/null: GNU grep
// notices /dev/null and stops at the first match.
void runQuietly(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : env)
    envp.push_back(const_cast<char*>(entry.c_str()));
  for (char** entry = environ; *entry; ++entry)
    envp.push_back(*entry);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, kOutputFile, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    std::perror("posix_spawnp");
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  waitpid(pid, &status, 0);
  // grep -c exits with 1 when it counts 0 lines; anything else means the command failed.
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    std::fprintf(stderr, "%s failed with status %d\n", argv[0], status);
    std::exit(1);
  }
}

std::string printable(const std::string& query) {
  return query == "、" ? "(ideographic comma)" : query == "的" ? "(de)" : query;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t lines = 3'000'000;
  if (argc > 1)
    lines = std::stoul(argv[1]);
  const std::string rareWord = "zymurgy";
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("xiulan-bench-" + std::to_string(lines) + ".txt");
  if (!std::filesystem::exists(file)) {
    const std::string text = xiulan::bench::generateVocabulary(lines, rareWord);
    std::ofstream(file, std::ios::binary) << text;
  }
  const std::string counter =
      (std::filesystem::path(argv[0]).parent_path() / "xiulan_count").string();
  const xiulan::Text vocabulary =
      xiulan::bytesToText(*xiulan::fileio::readWhole(xiulan::Text(file.c_str())));
  const std::string_view text = vocabulary.bytes();
  std::printf("vocabulary: %s, %.1f MB, %zu lines\n\n", file.c_str(),
              static_cast<double>(text.size()) / 1e6, lines);

  const double absentByteFloor = bestSeconds([&] {
    const void* volatile hit = std::memchr(text.data(), '\0', text.size());
    (void)hit;
  });
  std::size_t crCount = 0;
  const double crCountFloor = bestSeconds([&] {
    std::size_t count = 0;
    for (const char* p = text.data();
         (p = static_cast<const char*>(std::memchr(p, '\r', text.data() + text.size() - p))); ++p) {
      ++count;
    }
    crCount = count;
  });
  std::printf("floor 1, memchr for an absent byte: %8.2f ms\n", absentByteFloor * 1e3);
  std::printf("floor 2, memchr count of %zu CRs:  %8.2f ms\n\n", crCount, crCountFloor * 1e3);

  const std::vector<std::string> queries = {rareWord, "tion", "的", "、", "qqxjj"};
  std::printf("%-20s %9s %10s %10s %8s %10s %9s %9s\n", "query", "matches", "lookup ms", "x floor1",
              "x floor2", "process ms", "grep ms", "x grep");
  for (const std::string& query : queries) {
    std::int64_t matches = 0;
    const double lookup = bestSeconds([&] { matches = xiulan::countMatchingLines(text, query); });
    const auto [process, grep] = bestSecondsInTurn(
        [&] {
          runQuietly({counter, file.string(), query}, {});
        },
        [&] {
          runQuietly({"grep", "-F", "-c", "--", query, file.string()}, {"LC_ALL=C"});
        });
    // The process reads the file in pieces; its count must still be the lookup's. Both
    // commands write to the scratch file, so count once more with the process alone.
    runQuietly({counter, file.string(), query}, {});
    long long processMatches = -1;
    if (std::FILE* output = std::fopen(kOutputFile, "r")) {
      if (std::fscanf(output, "%lld", &processMatches) != 1)
        processMatches = -1;
      std::fclose(output);
    }
    if (processMatches != matches) {
      std::fprintf(stderr, "xiulan_count counted %lld lines for %s, the lookup %lld\n",
                   processMatches, printable(query).c_str(), static_cast<long long>(matches));
      return 1;
    }
    std::printf("%-20s %9lld %10.2f %10.2f %8.2f %10.2f %9.2f %9.2f\n", printable(query).c_str(),
                static_cast<long long>(matches), lookup * 1e3, lookup / absentByteFloor,
                lookup / crCountFloor, process * 1e3, grep * 1e3, process / grep);
  }
  std::printf(
      "\ntargets: rare word and miss within 1.5x floor 1; ideographic comma within 3x "
      "floor 2; every query faster than grep (x grep < 1).\n");
  return 0;
}
