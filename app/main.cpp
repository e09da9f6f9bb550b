// The program's entry: the current directory becomes the program's own, so the vocabulary
// file is found beside the executable whatever directory the program was started from; then
// the lookup window runs until it is closed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "lookup_window/lookup_window.h"
#include "toolkit/win32/win32_desktop.h"

namespace {

// The directory of the running executable, through the wide-character API so that a path
// with characters outside the system code page still works.
std::wstring programDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::wstring directory = programDirectory();
  if (!directory.empty())
    SetCurrentDirectoryW(directory.c_str());
  auto desktop = xiulan::toolkit::win32::makeWin32Desktop(instance);
  return xiulan::lookup::runLookupWindow(*desktop);
}
