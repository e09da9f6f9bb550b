// Checks of the icon-file rebuilding and of icons made from icon-file bytes, run under Wine
// when cross-compiling: exit code 0 when every check holds.
#include "toolkit/win32/icon_file.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

using namespace xiulan;
using namespace xiulan::toolkit::win32;

int failures = 0;

void check(bool holds, const char* what) {
  if (!holds) {
    ++failures;
    std::printf("FAILED: %s\n", what);
  }
}

std::string_view rawResource(int id) {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, resource))
              : std::string_view();
}

}  // namespace

int main() {
  const std::string_view iconFile = rawResource(2);
  check(iconFile.size() == 4286, "the program's icon file is 4,286 bytes");

  // The icon resource, rebuilt, is the icon file byte for byte.
  const Bytes rebuilt = iconFileFromResources(GetModuleHandleW(nullptr), 1);
  check(rebuilt == iconFile, "the icon resource rebuilds the icon file");
  check(iconFileFromResources(GetModuleHandleW(nullptr), 7).empty(),
        "a missing icon resource gives no bytes");

  // A directory that names an image the module lacks, or is cut short, gives no file.
  const std::string group("\0\0\1\0\1\0 \0\0\0\1\0 \0\xA8\x10\0\0\1\0", 20);
  check(iconFileFromGroup(group, [](unsigned) { return std::nullopt; }).empty(),
        "a group whose image is missing gives no file");
  check(iconFileFromGroup(group.substr(0, 12), [](unsigned) { return std::string_view("x"); })
            .empty(),
        "a group cut short gives no file");

  // Icons from the bytes: the small size of the notification area and the large one.
  for (const int size : {16, 32}) {
    HICON icon = makeIcon(iconFile, size, size);
    check(icon != nullptr, "the icon file makes an icon");
    ICONINFO info{};
    if (icon && GetIconInfo(icon, &info)) {
      BITMAP bitmap{};
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
      check(bitmap.bmWidth == size, "the icon has the size asked for");
      if (info.hbmColor)
        DeleteObject(info.hbmColor);
      if (info.hbmMask)
        DeleteObject(info.hbmMask);
    }
    if (icon)
      DestroyIcon(icon);
  }
  check(makeIcon("", 16, 16) == nullptr, "no bytes make no icon");
  check(makeIcon("GIF89a, not an icon file at all", 16, 16) == nullptr,
        "bytes that are no icon file make no icon");
  std::string cut(iconFile.substr(0, 100));
  check(makeIcon(cut, 16, 16) == nullptr, "an icon file cut short makes no icon");

  if (failures == 0)
    std::printf("all icon-file checks hold\n");
  return failures == 0 ? 0 : 1;
}
