// The definition of LookupWindow, as data. Handlers live in the files of their concern.
#include "editor/editor.h"
#include "lookup_window/lookup_window.h"
#include "vocabulary/builtin_vocabulary.h"

namespace xiulan::lookup {

using toolkit::Border;
using toolkit::ControlDefinition;
using toolkit::ControlKind;
using toolkit::Frame;
using toolkit::MenuItemDefinition;
using toolkit::WindowDefinition;

namespace {

// The definition reads as the tables that describe the window; keep its layout.
// clang-format off
WindowDefinition makeDefinition() {
  WindowDefinition window;
  window.caption = kCaption;
  window.width = 319;
  window.height = 439;
  window.border = Border::FixedSingle;
  window.minimizeButton = true;
  window.maximizeButton = false;
  window.escCloses = false;
  window.taskbarButton = true;
  window.onCreated = &onLookupWindowCreated;
  window.onPositionChanged = &onPositionChanged;
  window.onTrayEvent = &onTrayEvent;

  window.menu = {
      {.text = "菜单", .level = 0},
      {.text = "单词修改", .onSelect = &editor::openWordEditor},
      {.separator = true},
      {.text = "窗口最前", .checkable = true, .onSelect = &toggleAlwaysOnTop},
      {.text = "网站", .level = 0},
      {.text = "腾讯微博", .onSelect = &openMicroblogPage},
      {.text = "作者淘宝", .onSelect = &openShopPage},
      {.text = "帮助", .level = 0},
      {.text = "关于", .onSelect = &showAboutBox},
      {.separator = true},
      {.text = "退出", .onSelect = &exitProgram},
  };

  // In definition order: the first lies on top; Tab runs from the last towards the first.
  window.controls = {
      {.name = 时钟2, .kind = ControlKind::Timer, .shown = false, .period = 0,
       .onEvent = &dockTick},
      {.name = 标签1, .kind = ControlKind::Label, .left = 168, .top = 72, .width = 32,
       .height = 24, .shown = false, .onEvent = &toggleVisibility},
      {.name = 按钮2, .kind = ControlKind::Button, .left = 0, .top = 279, .width = 312,
       .height = 32, .text = "最小化窗口并启用剪辑板查单词", .tabStop = true,
       .onEvent = &startClipboardLookup},
      {.name = 气球提示框1, .kind = ControlKind::BalloonTip, .shown = false,
       .balloonDisplayMs = 5000},
      {.name = 时钟1, .kind = ControlKind::Timer, .shown = false, .period = 0,
       .onEvent = &runClipboardLookup},
      {.name = 编辑框_输出框, .kind = ControlKind::Edit, .left = 0, .top = 311, .width = 312,
       .height = 81, .text = kWelcomeText, .tabStop = true, .multiline = true,
       .wantReturn = true, .verticalScroll = true, .wrap = true, .frame = Frame::Sunken},
      {.name = 组合框_搜索内容, .kind = ControlKind::ComboBox, .left = 0, .top = 0, .width = 312,
       .height = 20, .tabStop = true, .dropDownHeight = 160},
      {.name = 按钮1, .kind = ControlKind::Button, .left = 0, .top = 248, .width = 312,
       .height = 32, .text = "开始寻找(回车)", .tabStop = true, .defaultButton = true,
       .onEvent = &runTypedLookup},
      {.name = 编辑框_词汇, .kind = ControlKind::Edit, .left = 0, .top = 24, .width = 312,
       .height = 224, .text = Text(kBuiltInVocabulary), .tabStop = true, .multiline = true,
       .readOnly = true, .verticalScroll = true, .horizontalScroll = true,
       .frame = Frame::Sunken},
  };
  return window;
}
// clang-format on

}  // namespace

const WindowDefinition& lookupWindowDefinition() {
  static const WindowDefinition definition = makeDefinition();
  return definition;
}

}  // namespace xiulan::lookup
