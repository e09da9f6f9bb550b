// Icon files and the program's icon resource. The window icon is handed around as the bytes
// of an icon file; the program file holds it as an icon group resource (a directory whose
// entries name separate image resources), from which those bytes are rebuilt.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>

#include "vocabulary/text.h"

namespace xiulan::toolkit::win32 {

// The icon file of an icon group: its directory, each entry pointing at its image laid out
// after the directory, in the group's order. Empty when the directory is malformed or
// `image` has no image for one of its ids.
Bytes iconFileFromGroup(std::string_view group,
                        const std::function<std::optional<std::string_view>(unsigned id)>& image);

// The image of an icon file that suits a picture `size` pixels wide best (the nearest width,
// the most colours among equals), or nothing when the bytes are not an icon file.
std::optional<std::string_view> iconImage(std::string_view iconFile, int size);

// The icon file of the module's icon group resource `id`; empty when there is none.
Bytes iconFileFromResources(HMODULE module, int id);

// An icon of the given size made from icon-file bytes, or nullptr when they make no picture.
// The caller destroys it.
HICON makeIcon(std::string_view iconFile, int width, int height);

}  // namespace xiulan::toolkit::win32
