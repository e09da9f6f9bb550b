// WordEditorWindow: its definition and handlers. The editor box holds the user's working text;
// it reaches the file only through saveVocabulary, and the opening window's vocabulary list is
// refilled from the file only as the editor closes.
#include "editor/editor.h"
#include "vocabulary/file_io.h"
#include "vocabulary/vocabulary_file.h"

namespace xiulan::editor {

using toolkit::Border;
using toolkit::ControlKind;
using toolkit::Frame;
using toolkit::WindowDefinition;

namespace {

WindowDefinition makeDefinition() {
  WindowDefinition window;
  window.caption = kEditorCaption;
  window.width = 457;
  window.height = 375;
  window.border = Border::Resizable;
  window.minimizeButton = true;
  window.maximizeButton = true;
  window.escCloses = true;
  // Loaded modally, it has no owner among the program's windows and no task-bar button.
  window.taskbarButton = false;
  window.onCreated = &onEditorCreated;
  window.onSizeChanged = &onEditorResized;
  window.onDestroying = &onEditorClosing;

  window.menu = {
      {.text = "菜单", .level = 0},
      {.text = "加入单条记录", .shortcut = "Ctrl+J", .onSelect = &openAddRecord},
      {.text = "保存", .onSelect = &saveVocabulary},
      {.separator = true},
      {.text = "退出", .onSelect = &closeEditor},
  };
  // onEditorResized makes the box fill the client area before the window is first shown.
  window.controls = {
      {.name = 编辑框_词汇,
       .kind = ControlKind::Edit,
       .left = 16,
       .top = 16,
       .width = 224,
       .height = 200,
       .tabStop = true,
       .multiline = true,
       .wantReturn = true,
       .verticalScroll = true,
       .horizontalScroll = true,
       .frame = Frame::Sunken,
       .fontHeight = 20},
  };
  return window;
}

// The window that opened the editor and holds the vocabulary list.
toolkit::Window* vocabularyListWindow(toolkit::Window& editor) {
  toolkit::Window* window = editor.owner();
  return window && window->exists() ? window : nullptr;
}

void reportFailedSave(toolkit::Desktop& desktop, int systemError) {
  desktop.showErrorMessage(concatText("无法保存词表文件\"", kVocabularyFileName, "\":\r\n",
                                      fileio::describeError(systemError)),
                           kSaveFailedTitle);
}

}  // namespace

const WindowDefinition& wordEditorDefinition() {
  static const WindowDefinition definition = makeDefinition();
  return definition;
}

void openWordEditor(toolkit::Window& window) {
  window.desktop().loadModal(wordEditorDefinition(), window);
}

void closeOpenWordEditor(toolkit::Desktop& desktop) {
  if (toolkit::Window* editor = desktop.openWindow(wordEditorDefinition()))
    closeEditor(*editor);
}

void onEditorCreated(toolkit::Window& editor) {
  editor.setFocus(编辑框_词汇);
  if (VocabularyFile::exists()) {
    editor.setText(编辑框_词汇, VocabularyFile::readText());
  } else {
    // The file is seeded from the list, and the box shows what was seeded: left empty, it
    // would differ from the file at the close, and a Yes would wipe the whole list.
    toolkit::Window* list = vocabularyListWindow(editor);
    const Text seeded = list ? list->text(kVocabularyListName) : Text();
    VocabularyFile::writeText(seeded);
    editor.setText(编辑框_词汇, seeded);
  }
  editor.setFocus(编辑框_词汇);
}

void onEditorResized(toolkit::Window& editor) {
  editor.placeControl(编辑框_词汇, 0, 0, editor.clientWidth(), editor.clientHeight());
}

void saveVocabulary(toolkit::Window& editor) {
  const WriteOutcome outcome = VocabularyFile::writeText(editor.text(编辑框_词汇));
  // The user must not believe an edit kept that is not; the editor stays as it was.
  if (!outcome.written)
    reportFailedSave(editor.desktop(), outcome.systemError);
}

void closeEditor(toolkit::Window& editor) {
  editor.destroy();
}

void onEditorClosing(toolkit::Window& editor) {
  const Text fileText = VocabularyFile::readText();
  const Text boxText = editor.text(编辑框_词汇);
  if (compareText(boxText, fileText) != 0 &&
      editor.desktop().askYesNo(kSaveQuestion, kSaveQuestionTitle)) {
    saveVocabulary(editor);
  }
  if (toolkit::Window* list = vocabularyListWindow(editor))
    list->setText(kVocabularyListName, VocabularyFile::readText());
}

}  // namespace xiulan::editor
