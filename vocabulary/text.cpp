#include "vocabulary/text.h"

#include <cstring>

namespace xiulan {

int compareText(const Text& a, const Text& b) {
  // std::string_view::compare uses char_traits<char>, which compares as unsigned char.
  const int order = a.bytes().compare(b.bytes());
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::int64_t textLength(const Text& text) {
  return static_cast<std::int64_t>(text.bytes().size());
}

std::int64_t findText(const Text& haystack, const Text& needle) {
  const std::string_view hay = haystack.bytes();
  const std::string_view pin = needle.bytes();
  if (pin.empty())
    return hay.empty() ? -1 : 1;
  std::size_t pos = 0;
  while (hay.size() - pos >= pin.size()) {
    if (std::memcmp(hay.data() + pos, pin.data(), pin.size()) == 0) {
      return static_cast<std::int64_t>(pos) + 1;
    }
    if (isLeadByte(static_cast<unsigned char>(hay[pos]))) {
      if (pos + 1 == hay.size())
        return -1;
      pos += 2;
    } else {
      pos += 1;
    }
  }
  return -1;
}

std::vector<Text> splitText(const Text& text, const Text& delimiter) {
  const std::string_view all = text.bytes();
  const std::string_view delim = delimiter.bytes();
  std::vector<Text> members;
  if (all.empty())
    return members;
  if (delim.empty()) {
    members.push_back(text);
    return members;
  }
  std::size_t memberStart = 0;
  std::size_t pos = 0;
  while (all.size() - pos >= delim.size()) {
    if (all.compare(pos, delim.size(), delim) == 0) {
      members.emplace_back(all.substr(memberStart, pos - memberStart));
      pos += delim.size();
      memberStart = pos;
      continue;
    }
    if (isLeadByte(static_cast<unsigned char>(all[pos]))) {
      if (pos + 1 == all.size())
        break;
      pos += 2;
    } else {
      pos += 1;
    }
  }
  if (memberStart < all.size())
    members.emplace_back(all.substr(memberStart));
  return members;
}

Text concatText(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts)
    total += part.size();
  std::string joined;
  joined.reserve(total);
  for (std::string_view part : parts)
    joined.append(part);
  return Text(std::move(joined));
}

Text integerToText(std::int32_t value) {
  return Text(std::to_string(value));
}

Text bytesToText(std::string_view bytes) {
  return Text(bytes);
}

Bytes textToBytes(const Text& text) {
  return Bytes(text.bytes());
}

}  // namespace xiulan
