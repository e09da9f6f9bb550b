// LookupWindow: the main window, alive from start-up to the end of the program.
#pragma once

#include "toolkit/toolkit.h"

namespace xiulan::lookup {

// Control names of the window's definition.
inline constexpr char 时钟2[] = "时钟2";
inline constexpr char 标签1[] = "标签1";
inline constexpr char 按钮2[] = "按钮2";
inline constexpr char 气球提示框1[] = "气球提示框1";
inline constexpr char 时钟1[] = "时钟1";
inline constexpr char 编辑框_输出框[] = "编辑框_输出框";
inline constexpr char 组合框_搜索内容[] = "组合框_搜索内容";
inline constexpr char 按钮1[] = "按钮1";
inline constexpr char 编辑框_词汇[] = "编辑框_词汇";

inline constexpr char kCaption[] = "澄屿计算机英语查询工具";
inline constexpr char kWelcomeText[] =
    "欢迎使用岫澜查询工具,HOME键呼入呼出!\r\n"
    "\r\n"
    "提示:如果你需添加某个单词,请在软件目录下的文本文件中加入\r\n"
    "感谢使用!作者:岫澜  QQ:00000000(示例号码)";

const toolkit::WindowDefinition& lookupWindowDefinition();

// Start-up after the current directory is set: creates the window (which runs its creation
// events) and runs the event loop. Gives the exit code.
int runLookupWindow(toolkit::Desktop& desktop);

// The tip of the window's notification-area icon.
inline constexpr char kTrayTip[] = "双击打开 岫澜搜索工具";

// Handlers.
void onLookupWindowCreated(toolkit::Window& window);
void onPositionChanged(toolkit::Window& window);
void onTrayEvent(toolkit::Window& window, int type);

// Typed lookup (按钮1).
void runTypedLookup(toolkit::Window& window);

// The notification-area icon and the Home hotkey.
void sendToTray(toolkit::Window& window);
void restoreFromTray(toolkit::Window& window);
void showTrayMenu(toolkit::Window& window);
void toggleVisibility(toolkit::Window& window);  // 标签1, the hotkey's target
void removeTrayIcon(toolkit::Window& window);

// Clipboard lookup (按钮2, 时钟1).
void startClipboardLookup(toolkit::Window& window);
void runClipboardLookup(toolkit::Window& window);
Text readClipboardText(toolkit::Window& window);
void writeClipboardText(toolkit::Window& window, const Text& text);
void showBalloonTip(toolkit::Window& window, int x, int y, const Text& text, int iconIndex,
                    bool autoClose);

// Top-edge docking and the screen's edges (时钟2).
void keepOnScreen(toolkit::Window& window);
void dockTick(toolkit::Window& window);

// Menu commands. The addresses are the product's own placeholders until it has pages.
#define XIULAN_SHOP_PAGE_ADDRESS "https://xiulan.example.com/shop"
inline constexpr char kMicroblogPageAddress[] = "https://xiulan.example.com/microblog";
inline constexpr char kShopPageAddress[] = XIULAN_SHOP_PAGE_ADDRESS;
inline constexpr char kAboutAppText[] = "岫澜计算机英语查询工具 1.0";
inline constexpr char kAboutOtherText[] = "岫澜小店:" XIULAN_SHOP_PAGE_ADDRESS;
#undef XIULAN_SHOP_PAGE_ADDRESS
void toggleAlwaysOnTop(toolkit::Window& window);  // 窗口最前
void openMicroblogPage(toolkit::Window& window);  // 腾讯微博
void openShopPage(toolkit::Window& window);       // 作者淘宝
void showAboutBox(toolkit::Window& window);       // 关于
void exitProgram(toolkit::Window& window);        // 退出

}  // namespace xiulan::lookup
