// AddRecordWindow: its definition and handlers. It is owned by the word editor and appends one
// entry, as typed, to the very end of the editor's text.
#include "editor/editor.h"

namespace xiulan::editor {

using toolkit::Border;
using toolkit::ControlKind;
using toolkit::Frame;
using toolkit::WindowDefinition;

namespace {

WindowDefinition makeDefinition() {
  WindowDefinition window;
  window.caption = kAddRecordCaption;
  window.width = 395;
  window.height = 65;
  window.border = Border::FixedSingle;
  window.minimizeButton = false;
  window.maximizeButton = false;
  window.escCloses = true;
  window.taskbarButton = false;
  // In definition order; the focus starts in 编辑框1, the first of the Tab cycle.
  window.controls = {
      {.name = 按钮1,
       .kind = ControlKind::Button,
       .left = 320,
       .top = 7,
       .width = 64,
       .height = 25,
       .text = "加入",
       .tabStop = true,
       .defaultButton = true,
       .onEvent = &addRecord},
      {.name = 编辑框1,
       .kind = ControlKind::Edit,
       .left = 8,
       .top = 8,
       .width = 296,
       .height = 24,
       .tabStop = true,
       .multiline = true,
       .wantReturn = true,
       .wrap = true,
       .frame = Frame::Thin,
       .fontHeight = 16},
  };
  return window;
}

}  // namespace

const WindowDefinition& addRecordDefinition() {
  static const WindowDefinition definition = makeDefinition();
  return definition;
}

void openAddRecord(toolkit::Window& editor) {
  // One at most: a second request brings the open one back, with the text typed so far.
  if (toolkit::Window* open = editor.desktop().openWindow(addRecordDefinition())) {
    open->setWindowState(toolkit::kStateNormal);
    return;
  }
  editor.desktop().loadOwned(addRecordDefinition(), editor);
}

void addRecord(toolkit::Window& window) {
  const Text entry = window.text(编辑框1);
  if (compareText(entry, Text()) == 0)
    return;
  if (toolkit::Window* editor = window.owner())
    editor->appendText(编辑框_词汇, concatText(entry, "\r\n"));
  window.destroy();
}

}  // namespace xiulan::editor
