// The vocabulary file beside the program: read and written whole, every failure silent.
#pragma once

#include "vocabulary/text.h"

namespace xiulan {

// Relative on purpose: start-up makes the program's own directory the current one.
inline constexpr char kVocabularyFileName[] = "岫澜.txt";

// What became of a write. Callers that only need "do nothing on failure" may ignore it; the
// word editor uses it to tell the user that an edit was not kept.
struct WriteOutcome {
  bool written = false;
  int systemError = 0;  // errno on POSIX, GetLastError() on Windows; 0 when written
};

namespace VocabularyFile {

// True when the current directory holds an entry of that name, a directory included.
bool exists();

// The file's bytes up to the first NUL; the empty Text when it is missing, cannot be opened,
// is empty or cannot be read.
Text readText();

// Replaces the file's content with the text's bytes. The bytes go to a temporary file in the
// same directory first, which then replaces the old file in one step, so a failure midway
// (full disk, killed process) leaves the previous list intact. A read-only file or a directory
// of that name is left alone. No temporary file outlives the call on failure.
WriteOutcome writeText(const Text& text);

}  // namespace VocabularyFile
}  // namespace xiulan
