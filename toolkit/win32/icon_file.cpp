#include "toolkit/win32/icon_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace xiulan::toolkit::win32 {
namespace {

// Icon directories: a 6-byte header (reserved 0, type 1, count), then the entries. An entry
// starts with 12 bytes that files and resources share (width, height, colours, reserved,
// planes, bits per pixel, image size); a file entry ends with the image's 4-byte offset, a
// resource entry with the image's 2-byte resource id.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kSharedEntrySize = 12;
constexpr std::size_t kFileEntrySize = 16;
constexpr std::size_t kGroupEntrySize = 14;
// Resource types of icon images and icon groups: RT_ICON and RT_GROUP_ICON.
constexpr WORD kIconImageType = 3;
constexpr WORD kIconGroupType = 14;

unsigned readUnsigned(std::string_view bytes, std::size_t at, std::size_t size) {
  unsigned value = 0;
  for (std::size_t i = size; i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

void appendUnsigned(std::string& bytes, unsigned value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i)
    bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// The number of entries of a directory of `entrySize`-byte entries, or 0 when it is malformed.
std::size_t entryCount(std::string_view directory, std::size_t entrySize) {
  if (directory.size() < kHeaderSize || readUnsigned(directory, 0, 2) != 0 ||
      readUnsigned(directory, 2, 2) != 1) {
    return 0;
  }
  const std::size_t count = readUnsigned(directory, 4, 2);
  return directory.size() >= kHeaderSize + count * entrySize ? count : 0;
}

}  // namespace

Bytes iconFileFromGroup(std::string_view group,
                        const std::function<std::optional<std::string_view>(unsigned id)>& image) {
  const std::size_t count = entryCount(group, kGroupEntrySize);
  if (count == 0)
    return {};
  Bytes directory(group.substr(0, kHeaderSize));
  Bytes images;
  std::size_t offset = kHeaderSize + count * kFileEntrySize;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kHeaderSize + i * kGroupEntrySize;
    const std::optional<std::string_view> picture =
        image(readUnsigned(group, entry + kSharedEntrySize, 2));
    if (!picture || picture->empty())
      return {};
    directory.append(group.substr(entry, kSharedEntrySize - 4));
    appendUnsigned(directory, static_cast<unsigned>(picture->size()), 4);
    appendUnsigned(directory, static_cast<unsigned>(offset), 4);
    images.append(*picture);
    offset += picture->size();
  }
  return directory + images;
}

std::optional<std::string_view> iconImage(std::string_view iconFile, int size) {
  const std::size_t count = entryCount(iconFile, kFileEntrySize);
  std::optional<std::string_view> best;
  int bestDistance = 0;
  unsigned bestBits = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kHeaderSize + i * kFileEntrySize;
    const int width = iconFile[entry] == 0 ? 256 : static_cast<unsigned char>(iconFile[entry]);
    const unsigned bits = readUnsigned(iconFile, entry + 6, 2);
    const std::size_t length = readUnsigned(iconFile, entry + 8, 4);
    const std::size_t at = readUnsigned(iconFile, entry + 12, 4);
    if (length == 0 || at > iconFile.size() || length > iconFile.size() - at)
      continue;
    const int distance = std::abs(width - size);
    if (!best || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
      best = iconFile.substr(at, length);
      bestDistance = distance;
      bestBits = bits;
    }
  }
  return best;
}

Bytes iconFileFromResources(HMODULE module, int id) {
  const auto resourceBytes = [module](HRSRC resource) -> std::optional<std::string_view> {
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
      return std::nullopt;
    return std::string_view(static_cast<const char*>(data), SizeofResource(module, resource));
  };
  const std::optional<std::string_view> group =
      resourceBytes(FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kIconGroupType)));
  if (!group)
    return {};
  return iconFileFromGroup(*group, [&](unsigned imageId) {
    return resourceBytes(
        FindResourceW(module, MAKEINTRESOURCEW(imageId), MAKEINTRESOURCEW(kIconImageType)));
  });
}

HICON makeIcon(std::string_view iconFile, int width, int height) {
  const std::optional<std::string_view> image = iconImage(iconFile, width);
  if (!image)
    return nullptr;
  // The system reads the image in place and wants it aligned, as resources are.
  std::vector<DWORD> aligned((image->size() + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(aligned.data(), image->data(), image->size());
  return CreateIconFromResourceEx(reinterpret_cast<PBYTE>(aligned.data()),
                                  static_cast<DWORD>(image->size()), TRUE, 0x00030000, width,
                                  height, LR_DEFAULTCOLOR);
}

}  // namespace xiulan::toolkit::win32
