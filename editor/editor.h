// The vocabulary editor: WordEditorWindow, a modal window that edits the vocabulary file as
// plain text, and AddRecordWindow, a small window it owns that appends one entry to its text.
//
// The editor knows nothing of the window that opens it beyond what that window hands to
// openWordEditor: itself, holding the working copy of the vocabulary in an edit box named
// kVocabularyListName, which lookups read and which the editor refills from the file as it
// closes.
#pragma once

#include "toolkit/toolkit.h"

namespace xiulan::editor {

// The opening window's edit box that holds the vocabulary list.
inline constexpr char kVocabularyListName[] = "编辑框_词汇";

// Control names of WordEditorWindow.
inline constexpr char 编辑框_词汇[] = "编辑框_词汇";
// Control names of AddRecordWindow.
inline constexpr char 按钮1[] = "按钮1";
inline constexpr char 编辑框1[] = "编辑框1";

inline constexpr char kEditorCaption[] = "单词修改 - 注意:请用换行符分割";
inline constexpr char kAddRecordCaption[] = "加入记录";
// The question asked on closing when the box differs from the file, and its title.
inline constexpr char kSaveQuestion[] = "是否保存?";
inline constexpr char kSaveQuestionTitle[] = "保存";
// The title of the message that says a save failed.
inline constexpr char kSaveFailedTitle[] = "保存失败";

const toolkit::WindowDefinition& wordEditorDefinition();
const toolkit::WindowDefinition& addRecordDefinition();

// The handler of the opening window's menu item 单词修改: loads the editor modally, with that
// window named as its owner, and returns when the editor has been closed.
void openWordEditor(toolkit::Window& window);
// Closes the word editor, if it is open, through its own closing path (which may ask whether
// to save): for ending the program while it is open.
void closeOpenWordEditor(toolkit::Desktop& desktop);

// WordEditorWindow.
void onEditorCreated(toolkit::Window& editor);
void onEditorResized(toolkit::Window& editor);
void onEditorClosing(toolkit::Window& editor);
void saveVocabulary(toolkit::Window& editor);
void closeEditor(toolkit::Window& editor);

// AddRecordWindow.
void openAddRecord(toolkit::Window& editor);
void addRecord(toolkit::Window& window);

}  // namespace xiulan::editor
