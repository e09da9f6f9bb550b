// Start-up: the window's created event loads or seeds the vocabulary.
#include "lookup_window/lookup_window.h"
#include "vocabulary/vocabulary_file.h"

namespace xiulan::lookup {

int runLookupWindow(toolkit::Desktop& desktop) {
  desktop.createWindow(lookupWindowDefinition());
  return desktop.runEventLoop();
}

void onLookupWindowCreated(toolkit::Window& window) {
  window.setVisible(1);
  // The answer is not needed: without the hotkey the program simply runs without it.
  window.registerHotkey(标签1, 0, toolkit::kVirtualKeyHome);
  window.setFocus(组合框_搜索内容);
  if (VocabularyFile::exists()) {
    window.setText(编辑框_词汇, VocabularyFile::readText());
  } else {
    // A failed write is not reported; the built-in list stays in the box and the next start
    // tries again.
    VocabularyFile::writeText(window.text(编辑框_词汇));
  }
}

}  // namespace xiulan::lookup
