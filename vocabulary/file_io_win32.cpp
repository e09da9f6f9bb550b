// Win32 whole-file I/O on the wide-character API; names are converted from GBK (code page 936),
// so the file is found under the same name on a Windows of any language.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <string>

#include "vocabulary/file_io.h"

namespace xiulan::fileio {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring toWideName(const Text& name) {
  const std::string_view bytes = name.bytes();
  if (bytes.empty())
    return {};
  const int size = static_cast<int>(bytes.size());
  const int wideSize = MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), size, wide.data(), wideSize);
  return wide;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { close(); }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    const bool ok = valid() ? CloseHandle(handle_) != 0 : true;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

std::wstring directoryOf(const std::wstring& name) {
  const std::size_t slash = name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : name.substr(0, slash + 1);
}

}  // namespace

bool entryExists(const Text& name) {
  return GetFileAttributesW(toWideName(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<Bytes> readWhole(const Text& name) {
  Handle file(CreateFileW(toWideName(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid())
    return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0)
    return std::nullopt;
  Bytes bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + got, want, &read, nullptr))
      return std::nullopt;
    if (read == 0)
      break;  // shorter than promised: keep what arrived
    got += read;
  }
  bytes.resize(got);
  return bytes;
}

int replaceWhole(const Text& name, std::string_view bytes) {
  const std::wstring target = toWideName(name);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    // Said outright rather than left to the open below: an administrator's process may be
    // allowed to open a read-only file for writing, and it must still stay as it was.
    return ERROR_ACCESS_DENIED;
  }
  if (exists) {
    // Opening the old file for writing, without sharing, fails when another program holds it
    // open, as the file's own writers would.
    Handle probe(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.valid())
      return static_cast<int>(GetLastError());
  }

  wchar_t temporary[MAX_PATH + 1] = {};
  if (GetTempFileNameW(directoryOf(target).c_str(), L"xl", 0, temporary) == 0) {
    return static_cast<int>(GetLastError());
  }
  auto fail = [&](DWORD error) {
    DeleteFileW(temporary);
    return static_cast<int>(error);
  };
  {
    Handle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
      return fail(GetLastError());
    while (!bytes.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) {
        const DWORD error = GetLastError();
        file.close();
        return fail(error);
      }
      if (written == 0) {
        file.close();
        return fail(ERROR_DISK_FULL);
      }
      bytes.remove_prefix(written);
    }
    if (!FlushFileBuffers(file.get()) || !file.close()) {
      const DWORD error = GetLastError();
      file.close();
      return fail(error);
    }
  }
  // ReplaceFileW keeps the old file's attributes and security; a new file is simply moved.
  if (exists && ReplaceFileW(target.c_str(), temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr)) {
    return 0;
  }
  if (MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return fail(GetLastError());
}

Text describeError(int systemError) {
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(systemError), 0, reinterpret_cast<wchar_t*>(&message), 0,
      nullptr);
  std::string gbk;
  if (length > 0 && message) {
    DWORD used = length;
    while (used > 0 && (message[used - 1] == L'\r' || message[used - 1] == L'\n'))
      --used;
    const int size = WideCharToMultiByte(kGbkCodePage, 0, message, static_cast<int>(used), nullptr,
                                         0, nullptr, nullptr);
    gbk.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(kGbkCodePage, 0, message, static_cast<int>(used), gbk.data(), size, nullptr,
                        nullptr);
  }
  if (message)
    LocalFree(message);
  if (gbk.empty())
    gbk = "error " + std::to_string(systemError);
  return Text(std::move(gbk));
}

}  // namespace xiulan::fileio
