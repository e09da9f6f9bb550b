// Text: the one string type of the program. GBK bytes, never a NUL byte inside.
//
// Lengths and positions count bytes. Positions are 1-based and -1 means "none". Every
// operation is a pure function that gives a new value; a Text owns its bytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace xiulan {

// A sequence of raw bytes as files hold them; unlike Text it may contain NUL bytes.
using Bytes = std::string;

class Text {
 public:
  Text() = default;
  // A C string cannot hold a NUL, so every literal is a valid Text.
  Text(const char* cString) : bytes_(cString ? cString : "") {}  // NOLINT: implicit on purpose
  // Keeps the bytes before the first NUL, if there is one, so the invariant always holds.
  explicit Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}
  explicit Text(std::string&& bytes) : bytes_(std::move(bytes)) {
    if (auto nul = bytes_.find('\0'); nul != std::string::npos)
      bytes_.resize(nul);
  }

  std::string_view bytes() const { return bytes_; }
  const char* cString() const { return bytes_.c_str(); }
  bool empty() const { return bytes_.empty(); }

  friend bool operator==(const Text& a, const Text& b) = default;

 private:
  std::string bytes_;
};

// -1, 0 or 1: bytes compared unsigned, a shorter prefix is smaller.
int compareText(const Text& a, const Text& b);

std::int64_t textLength(const Text& text);

// 1-based position of the first occurrence of needle in haystack that starts at a character
// start, or -1. An empty needle gives 1 for a non-empty haystack.
std::int64_t findText(const Text& haystack, const Text& needle);

// The members between delimiters, found only at character starts. An empty text gives no
// member; a delimiter at the very end gives no empty last member.
std::vector<Text> splitText(const Text& text, const Text& delimiter);

inline std::string_view toView(const Text& text) {
  return text.bytes();
}
inline std::string_view toView(const char* cString) {
  return cString;
}
inline std::string_view toView(std::string_view view) {
  return view;
}

Text concatText(std::initializer_list<std::string_view> parts);
template <class... Parts>
Text concatText(const Parts&... parts) {
  return concatText({std::string_view(toView(parts))...});
}

Text integerToText(std::int32_t value);

Text bytesToText(std::string_view bytes);
Bytes textToBytes(const Text& text);

// Character rule shared by findText, splitText and LineLookup: a byte 0x80 or above is the
// lead byte of a two-byte character, whatever follows it.
inline bool isLeadByte(unsigned char byte) {
  return byte >= 0x80;
}

}  // namespace xiulan
