// The real desktop: windows of the toolkit as Win32 windows with standard controls.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/toolkit.h"

namespace xiulan::toolkit::win32 {

// Window class of the program's top-level windows, for tools and tests that look for them.
inline constexpr wchar_t kWindowClassName[] = L"XiulanWindow";

// The desktop of the calling thread. `instance` is the program's module: its icon resource 1,
// when there is one, is the icon of every window. Make one per program, on the thread that
// runs the event loop, and keep it until runEventLoop has returned.
std::unique_ptr<Desktop> makeWin32Desktop(HINSTANCE instance);

}  // namespace xiulan::toolkit::win32
