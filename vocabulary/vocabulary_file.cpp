#include "vocabulary/vocabulary_file.h"

#include "vocabulary/file_io.h"

namespace xiulan::VocabularyFile {

bool exists() {
  return fileio::entryExists(kVocabularyFileName);
}

Text readText() {
  std::optional<Bytes> bytes = fileio::readWhole(kVocabularyFileName);
  return bytes ? bytesToText(*bytes) : Text();
}

WriteOutcome writeText(const Text& text) {
  const int error = fileio::replaceWhole(kVocabularyFileName, text.bytes());
  return WriteOutcome{error == 0, error};
}

}  // namespace xiulan::VocabularyFile
