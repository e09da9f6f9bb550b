// Typed lookup through the real window on a large vocabulary, against the floor: setting the
// same final text into the output box once. The program's own start-up loads the vocabulary
// file, so the lookup runs exactly as a user's Enter runs it, on real Win32 controls.
//   typed_lookup_bench [lines]   (100,000 by default)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/vocabulary_generator.h"
#include "lookup_window/lookup_window.h"
#include "toolkit/win32/win32_desktop.h"
#include "vocabulary/vocabulary_file.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double bestSeconds(int runs, F&& run) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace xiulan;
  using namespace xiulan::lookup;
  const std::size_t lines = argc > 1 ? std::wcstoul(argv[1], nullptr, 10) : 100'000;

  wchar_t base[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, base);
  const std::wstring directory = std::wstring(base) + L"xiulan-typed-bench";
  CreateDirectoryW(directory.c_str(), nullptr);
  SetCurrentDirectoryW(directory.c_str());
  VocabularyFile::writeText(Text(bench::generateVocabulary(lines, "zymurgy")));

  auto desktop = toolkit::win32::makeWin32Desktop(GetModuleHandleW(nullptr));
  toolkit::Window* window = desktop->createWindow(lookupWindowDefinition());
  if (!window) {
    std::printf("the lookup window could not be made\n");
    return 1;
  }
  std::printf("vocabulary: %zu lines, %lld bytes in the list\n", lines,
              static_cast<long long>(textLength(window->text(编辑框_词汇))));
  std::printf("%-22s %9s %12s %12s %7s\n", "query", "matches", "lookup ms", "floor ms", "ratio");
  for (const char* query : {"、", "n.", "zymurgy"}) {
    window->setText(组合框_搜索内容, query);
    const double lookup = bestSeconds(2, [&] { runTypedLookup(*window); });
    const Text result = window->text(编辑框_输出框);
    const double floor = bestSeconds(2, [&] {
      window->setText(编辑框_输出框, Text());
      window->setText(编辑框_输出框, result);
    });
    const std::string name = std::string(query) == "、" ? "(ideographic comma)" : query;
    const std::size_t matches = splitText(result, "\r\n").size() - (lines > 0 ? 2 : 0);
    std::printf("%-22s %9zu %12.1f %12.1f %7.2f\n", name.c_str(), matches, lookup * 1e3,
                floor * 1e3, lookup / floor);
  }
  std::printf("target: a query matching most lines within 1.5x the floor\n");
  window->destroy();
  return 0;
}
