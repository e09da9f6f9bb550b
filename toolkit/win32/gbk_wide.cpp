// The two tables behind toWide/toGbk are built once, on first use, from the system's code page
// 936: each of the 32,768 two-byte sequences that start with a lead byte is asked for its
// UTF-16 value and checked to convert back to the same bytes. After that, converting a text
// costs one table look-up per character instead of two system calls.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <cstdint>

#include "toolkit/win32/gbk_wide.h"

namespace xiulan::toolkit::win32 {
namespace {

constexpr UINT kGbkCodePage = 936;

bool isStrayByte(wchar_t unit) {
  return unit >= kStrayByteBase && unit <= kStrayByteBase + 0xFF;
}

class Tables {
 public:
  Tables() {
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
      for (unsigned trail = 0; trail <= 0xFF; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        wchar_t wide[2] = {};
        if (MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) {
          continue;
        }
        char back[4] = {};
        BOOL usedDefault = FALSE;
        const int backSize =
            WideCharToMultiByte(kGbkCodePage, 0, wide, 1, back, 4, nullptr, &usedDefault);
        if (backSize != 2 || usedDefault || back[0] != pair[0] || back[1] != pair[1])
          continue;
        if (isStrayByte(wide[0]))
          continue;  // would be read back as two stray bytes
        fromPair_[index(lead, trail)] = wide[0];
        if (fromWide_[wide[0]] == 0) {
          fromWide_[wide[0]] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
      }
    }
  }

  // The UTF-16 unit of a valid two-byte character, else 0.
  wchar_t fromPair(unsigned char lead, unsigned char trail) const {
    return fromPair_[index(lead, trail)];
  }
  // Lead byte << 8 | trail byte of the character for a UTF-16 unit, else 0.
  std::uint16_t fromWide(wchar_t unit) const { return fromWide_[static_cast<std::uint16_t>(unit)]; }

 private:
  static std::size_t index(unsigned lead, unsigned trail) { return (lead - 0x80) * 256 + trail; }

  std::array<wchar_t, 128 * 256> fromPair_{};
  std::array<std::uint16_t, 65536> fromWide_{};
};

const Tables& tables() {
  static const Tables instance;
  return instance;
}

bool isHighSurrogate(wchar_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(wchar_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

wchar_t stray(unsigned char byte) {
  return static_cast<wchar_t>(kStrayByteBase + byte);
}

}  // namespace

std::wstring toWide(std::string_view gbk) {
  std::wstring wide;
  wide.reserve(gbk.size());
  const Tables* table = nullptr;
  for (std::size_t i = 0; i < gbk.size();) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      wide.push_back(static_cast<wchar_t>(byte));
      ++i;
      continue;
    }
    if (i + 1 == gbk.size()) {  // a lead byte with nothing after it
      wide.push_back(stray(byte));
      break;
    }
    if (!table)
      table = &tables();
    const auto trail = static_cast<unsigned char>(gbk[i + 1]);
    if (const wchar_t unit = table->fromPair(byte, trail)) {
      wide.push_back(unit);
    } else {
      // By the character rule the second byte belongs to this (invalid) character, so it is
      // kept with it rather than read as a character of its own: the control then shows the
      // lines exactly as the program's lookup splits them.
      wide.push_back(stray(byte));
      wide.push_back(stray(trail));
    }
    i += 2;
  }
  return wide;
}

std::string toGbk(std::wstring_view wide) {
  std::string gbk;
  gbk.reserve(wide.size() * 2);
  const Tables* table = nullptr;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const wchar_t unit = wide[i];
    if (unit < 0x80) {
      gbk.push_back(static_cast<char>(unit));
    } else if (isStrayByte(unit)) {
      gbk.push_back(static_cast<char>(unit - kStrayByteBase));
    } else if (isHighSurrogate(unit)) {
      if (i + 1 < wide.size() && isLowSurrogate(wide[i + 1]))
        ++i;  // one character, one '?'
      gbk.push_back('?');
    } else {
      if (!table)
        table = &tables();
      if (const std::uint16_t pair = table->fromWide(unit)) {
        gbk.push_back(static_cast<char>(pair >> 8));
        gbk.push_back(static_cast<char>(pair & 0xFF));
      } else {
        // Not in GBK, or only as a single byte 0x80 (the euro sign of code page 936), which
        // the program's character rule would read as the start of a two-byte character.
        gbk.push_back('?');
      }
    }
  }
  return gbk;
}

}  // namespace xiulan::toolkit::win32
