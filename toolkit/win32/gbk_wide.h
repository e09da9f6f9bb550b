// GBK <-> UTF-16 where the program's Text meets the wide-character API of Windows.
//
// Text is GBK bytes (code page 936) whatever the language of the Windows it runs on; controls,
// captions and menus hold UTF-16. The conversion walks the bytes by the program's own
// character rule (a byte 0x80 or above leads a two-byte character) and is lossless: a byte
// that is not part of a valid GBK character, one that converts to one UTF-16 unit and back to
// the same two bytes, travels as the private-use code point U+F700 + byte. So a list filled
// from a file whose bytes are not all GBK gives back exactly those bytes when read again.
#pragma once

#include <string>
#include <string_view>

namespace xiulan::toolkit::win32 {

// U+F700 + byte stands for a byte that is not part of a valid GBK character.
inline constexpr wchar_t kStrayByteBase = 0xF700;

std::wstring toWide(std::string_view gbk);

// A character that GBK cannot hold (a Korean syllable, an emoji) becomes '?', as the system's
// own conversion would make it.
std::string toGbk(std::wstring_view wide);

}  // namespace xiulan::toolkit::win32
