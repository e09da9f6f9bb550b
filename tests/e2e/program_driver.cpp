#include "program_driver.h"

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace xiulan::e2e {

Settings& settings() {
  static Settings value;
  return value;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    // Windows of the test's own thread (a stand-in for another program) keep being served.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::wstring readWindowText(HWND window) {
  // WM_GETTEXT rather than GetWindowText: the latter does not read another process's controls.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return L"<no answer>";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

TemporaryDirectory::TemporaryDirectory() {
  wchar_t base[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, base);
  for (unsigned attempt = GetTickCount();; ++attempt) {
    path_ = std::wstring(base) + L"xiulan-e2e-" + std::to_wstring(attempt);
    if (CreateDirectoryW(path_.c_str(), nullptr))
      return;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("cannot make a directory");
  }
}

namespace {
void removeTree(const std::wstring& directory) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((directory + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring full = directory + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(directory.c_str());
}
}  // namespace

TemporaryDirectory::~TemporaryDirectory() {
  removeTree(path_);
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in)
    return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

RunningProgram::RunningProgram(const std::wstring& executable,
                               const std::wstring& workingDirectory) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + executable + L"\"";
  if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.c_str(), &startup, &info_)) {
    throw std::runtime_error("cannot start the program");
  }
}

RunningProgram::~RunningProgram() {
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 10000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

namespace {
struct WindowSearch {
  DWORD processId;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK findWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && IsWindowVisible(window) &&
      readWindowText(window) == *search.caption) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

struct ChildSearch {
  HWND top;
  std::vector<ChildControl>* controls;
};

BOOL CALLBACK collectChild(HWND child, LPARAM parameter) {
  auto& search = *reinterpret_cast<ChildSearch*>(parameter);
  if (GetParent(child) != search.top)
    return TRUE;  // the combo box's own edit is not a control
  ChildControl control;
  control.hwnd = child;
  control.className = className(child);
  control.text = readWindowText(child);
  control.visible = IsWindowVisible(child) != FALSE;
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, search.top, reinterpret_cast<POINT*>(&rect), 2);
  control.placeInClient = rect;
  search.controls->push_back(control);
  return TRUE;
}
}  // namespace

HWND RunningProgram::waitForWindow(const std::wstring& caption) {
  WindowSearch search{info_.dwProcessId, &caption, nullptr};
  waitFor([&] {
    search.found = nullptr;
    EnumWindows(&findWindow, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  return search.found;
}

std::vector<ChildControl> RunningProgram::controls(HWND window) const {
  std::vector<ChildControl> found;
  ChildSearch search{window, &found};
  EnumChildWindows(window, &collectChild, reinterpret_cast<LPARAM>(&search));
  return found;
}

HWND RunningProgram::focusedControl() const {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!GetGUIThreadInfo(info_.dwThreadId, &thread) || !thread.hwndFocus)
    return nullptr;
  HWND focus = thread.hwndFocus;
  HWND parent = GetParent(focus);
  if (parent && className(parent) == L"ComboBox")
    return parent;
  return focus;
}

bool RunningProgram::bringToFront(HWND window) const {
  return waitFor(
      [&] {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
      },
      std::chrono::seconds(10));
}

void RunningProgram::pressKey(WORD virtualKey) {
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = virtualKey;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

void RunningProgram::typeText(const std::wstring& text) {
  std::vector<INPUT> keys;
  for (wchar_t c : text) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wScan = c;
    down.ki.dwFlags = KEYEVENTF_UNICODE;
    INPUT up = down;
    up.ki.dwFlags |= KEYEVENTF_KEYUP;
    keys.push_back(down);
    keys.push_back(up);
  }
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

std::optional<DWORD> RunningProgram::waitForExit(std::chrono::milliseconds timeout) {
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

OtherProgramWindow::OtherProgramWindow() {
  window_ =
      CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 1300, 700,
                      300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

OtherProgramWindow::~OtherProgramWindow() {
  DestroyWindow(window_);
}

bool OtherProgramWindow::activate() {
  return waitFor(
      [&] {
        SetForegroundWindow(window_);
        return GetForegroundWindow() == window_;
      },
      std::chrono::seconds(10));
}

HWND findShownWindow(DWORD processId, const std::wstring& windowClass,
                     const std::wstring* caption) {
  for (HWND candidate = FindWindowExW(nullptr, nullptr, windowClass.c_str(), nullptr); candidate;
       candidate = FindWindowExW(nullptr, candidate, windowClass.c_str(), nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (owner == processId && IsWindowVisible(candidate) &&
        (!caption || readWindowText(candidate) == *caption)) {
      return candidate;
    }
  }
  return nullptr;
}

bool putClipboardText(const std::wstring& text) {
  if (!OpenClipboard(nullptr))
    return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::wmemcpy(static_cast<wchar_t*>(GlobalLock(memory)), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return put;
}

bool clickTrayIcon(MouseButton button, int clicks) {
  HWND tray = nullptr;
  if (!waitFor([&] {
        tray = FindWindowW(nullptr, L"Wine System Tray");
        return tray && IsWindowVisible(tray);
      })) {
    return false;
  }
  RECT rect{};
  GetWindowRect(tray, &rect);
  SetCursorPos(rect.left + std::min<int>(12, (rect.right - rect.left) / 2),
               (rect.top + rect.bottom) / 2);
  const DWORD down = button == MouseButton::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
  const DWORD up = button == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
  std::vector<INPUT> input;
  for (int i = 0; i < clicks; ++i) {
    for (DWORD flags : {down, up}) {
      INPUT event{};
      event.type = INPUT_MOUSE;
      event.mi.dwFlags = flags;
      input.push_back(event);
    }
  }
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  return true;
}

HWND openTrayIconMenu(DWORD processId) {
  HWND menu = nullptr;
  for (int attempt = 0; attempt < 3 && !menu; ++attempt) {
    if (!clickTrayIcon(MouseButton::Right, 1))
      return nullptr;
    waitFor([&] { return (menu = findShownWindow(processId, L"#32768")) != nullptr; },
            std::chrono::seconds(5));
  }
  return menu;
}

Picture capture(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  Picture picture;
  picture.width = rect.right - rect.left;
  picture.height = rect.bottom - rect.top;
  if (picture.width <= 0 || picture.height <= 0)
    return picture;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.width, picture.height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &info,
            DIB_RGB_COLORS);
  for (std::uint32_t& pixel : picture.pixels)
    pixel &= 0xFFFFFFu;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

bool waitForMenuDrawn(HWND menu, std::chrono::milliseconds timeout) {
  const COLORREF highlight = GetSysColor(COLOR_MENUHILIGHT);
  const COLORREF classic = GetSysColor(COLOR_HIGHLIGHT);
  const auto asPixel = [](COLORREF colour) {
    return static_cast<std::uint32_t>(GetRValue(colour)) << 16 |
           static_cast<std::uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
  };
  return waitFor(
      [&] {
        const Picture picture = capture(menu);
        return std::any_of(picture.pixels.begin(), picture.pixels.end(), [&](std::uint32_t pixel) {
          return pixel == asPixel(highlight) || pixel == asPixel(classic);
        });
      },
      timeout);
}

std::wstring saveScreenshot(HWND window, const std::wstring& name) {
  const Picture picture = capture(window);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = -picture.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  const DWORD imageSize = static_cast<DWORD>(picture.pixels.size() * sizeof(std::uint32_t));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + imageSize;
  const std::wstring path = settings().artifacts + L"\\" + name + L".bmp";
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(picture.pixels.data()), imageSize);
  return path;
}

}  // namespace xiulan::e2e
