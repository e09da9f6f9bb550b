// Checks of the GBK <-> UTF-16 conversion, run under Wine when cross-compiling:
//   wine64 xiulan_gbk_wide_test.exe   -> exit code 0 when every check holds.
// Narrow literals here are GBK (the build compiles them so) and wide literals UTF-16, so a
// Chinese case states the same text twice and the two encodings check each other.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "toolkit/win32/gbk_wide.h"

namespace {

using xiulan::toolkit::win32::kStrayByteBase;
using xiulan::toolkit::win32::toGbk;
using xiulan::toolkit::win32::toWide;

int failures = 0;
int checks = 0;

std::string show(std::string_view bytes) {
  std::string out;
  char hex[8];
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

std::string show(std::wstring_view wide) {
  std::string out;
  char hex[10];
  for (const wchar_t unit : wide) {
    if (unit >= 0x20 && unit < 0x7F) {
      out.push_back(static_cast<char>(unit));
    } else {
      std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(unit));
      out += hex;
    }
  }
  return out;
}

void check(bool ok, const std::string& what) {
  ++checks;
  if (!ok) {
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
  }
}

std::wstring strays(std::string_view bytes) {
  std::wstring wide;
  for (const char c : bytes) {
    wide.push_back(static_cast<wchar_t>(kStrayByteBase + static_cast<unsigned char>(c)));
  }
  return wide;
}

struct BothWays {
  const char* name;
  std::string gbk;
  std::wstring wide;
};

// Each GBK text converts to exactly this UTF-16 text, and back to its own bytes.
void checkBothWays() {
  const BothWays cases[] = {
      {"empty", "", L""},
      {"ASCII", "Hello, world 123 ~!@#", L"Hello, world 123 ~!@#"},
      {"caption", "澄屿计算机英语查询工具", L"澄屿计算机英语查询工具"},
      {"vocabulary line", "002、command　n.命令，指令", L"002、command　n.命令，指令"},
      {"GBK beyond GB2312", "丂亐乛", L"丂亐乛"},
      {"CR LF", "a\r\nb\r\n\r\n", L"a\r\nb\r\n\r\n"},
      {"0x80 alone", "\x80", strays("\x80")},
      {"0x80 before ASCII",
       "\x80"
       "A",
       strays("\x80"
              "A")},
      {"0xFF alone", "\xFF", strays("\xFF")},
      {"0xFF 0xFF", "\xFF\xFF", strays("\xFF\xFF")},
      {"lone lead byte at the end", "ab\xD6", L"ab" + strays("\xD6")},
      {"lone lead byte after Chinese", "中\xD6", L"中" + strays("\xD6")},
      {"trail byte below 0x40",
       "\xD6"
       "0x",
       strays("\xD6"
              "0") +
           L"x"},
      {"trail byte 0x7F", "\x81\x7F", strays("\x81\x7F")},
      {"trail byte 0xFF", "\x81\xFF", strays("\x81\xFF")},
      {"lead byte before CR LF", "a\xD6\r\nb", L"a" + strays("\xD6\r") + L"\nb"},
      {"valid after invalid", "\xFF\xFF中", strays("\xFF\xFF") + L"中"},
      {"user-defined area AAA1-AFFE, first", "\xAA\xA1", L"\xE000"},
      {"user-defined area AAA1-AFFE, last", "\xAF\xFE", L"\xE233"},
      {"user-defined area F8A1-FEFE, first", "\xF8\xA1", L"\xE234"},
      {"user-defined area F8A1-FEFE, last", "\xFE\xFE", L"\xE4C5"},
      {"user-defined area A140-A7A0, first", "\xA1\x40", L"\xE4C6"},
      {"user-defined area A140-A7A0, last", "\xA7\xA0", L"\xE765"},
  };
  for (const BothWays& c : cases) {
    const std::wstring wide = toWide(c.gbk);
    check(wide == c.wide,
          std::string("toWide, ") + c.name + ": got " + show(wide) + ", want " + show(c.wide));
    const std::string back = toGbk(wide);
    check(back == c.gbk,
          std::string("round trip, ") + c.name + ": got " + show(back) + ", want " + show(c.gbk));
  }
}

struct ToGbk {
  const char* name;
  std::wstring wide;
  std::string gbk;
};

// Texts that come from a control: typed characters GBK cannot hold, and stray-byte codes.
void checkToGbk() {
  const ToGbk cases[] = {
      {"Hangul syllable",
       L"a\xAC00"
       L"b",
       "a?b"},
      {"surrogate pair is one character",
       L"a\xD83D\xDE00"
       L"b",
       "a?b"},
      {"lone high surrogate",
       L"\xD800"
       L"x",
       "?x"},
      {"lone low surrogate", L"\xDC00", "?"},
      {"euro sign, a single byte 0x80 in code page 936", L"\x20AC", "?"},
      {"stray-byte codes", L"\xF741\xF780\xF7FF", "A\x80\xFF"},
      {"Chinese and ASCII", L"开始寻找(回车)", "开始寻找(回车)"},
  };
  for (const ToGbk& c : cases) {
    const std::string gbk = toGbk(c.wide);
    check(gbk == c.gbk,
          std::string("toGbk, ") + c.name + ": got " + show(gbk) + ", want " + show(c.gbk));
  }
}

bool inGbkCodeSpace(unsigned lead, unsigned trail) {
  return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// Every two-byte sequence, between ASCII neighbours: the bytes come back unchanged, and the
// UTF-16 form is either one character (inside GBK's code space) or two stray-byte codes.
void checkEveryPair() {
  int characters = 0;
  int wrong = 0;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned trail = 0x01; trail <= 0xFF; ++trail) {
      const std::string gbk = {'x', static_cast<char>(lead), static_cast<char>(trail), 'y'};
      const std::wstring wide = toWide(gbk);
      bool ok =
          toGbk(wide) == gbk && wide.size() >= 3 && wide.front() == L'x' && wide.back() == L'y';
      if (ok && wide.size() == 3) {
        ++characters;
        const wchar_t unit = wide[1];
        ok = inGbkCodeSpace(lead, trail) &&
             !(unit >= kStrayByteBase && unit <= kStrayByteBase + 0xFF);
      } else if (ok) {
        ok = wide.size() == 4 && wide.substr(1, 2) == strays(gbk.substr(1, 2));
      }
      if (!ok && ++wrong <= 10) {
        check(false, "pair " + show(gbk) + " -> " + show(wide) + " -> " + show(toGbk(wide)));
      }
    }
  }
  check(wrong == 0, std::to_string(wrong) + " two-byte sequences went wrong");
  // GBK defines 21,886 characters; a smaller count means the code page is missing.
  check(characters >= 21886, "only " + std::to_string(characters) + " two-byte characters");
}

// Every UTF-16 unit outside the surrogates: either not in GBK ('?'), or a character whose
// bytes convert back to that very unit.
void checkEveryUnit() {
  int wrong = 0;
  for (unsigned unit = 0x01; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF)
      continue;
    const std::wstring wide(1, static_cast<wchar_t>(unit));
    const std::string gbk = toGbk(wide);
    bool ok;
    if (unit < 0x80) {
      ok = gbk == std::string(1, static_cast<char>(unit));
    } else if (unit >= kStrayByteBase && unit <= kStrayByteBase + 0xFF) {
      ok = gbk == std::string(1, static_cast<char>(unit - kStrayByteBase));
    } else {
      ok = gbk == "?" || (gbk.size() == 2 && toWide(gbk) == wide);
    }
    if (!ok && ++wrong <= 10)
      check(false, "unit " + show(wide) + " -> " + show(gbk));
  }
  check(wrong == 0, std::to_string(wrong) + " UTF-16 units went wrong");
}

// Random byte strings (fixed seed) survive the trip through UTF-16 unchanged.
void checkRandomBytes() {
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
  };
  int wrong = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string gbk(next() % 48, '\0');
    for (char& c : gbk) {
      const std::uint32_t byte = next();
      c = static_cast<char>(byte == 0 ? 1 : byte);  // no NUL: a Text never holds one
    }
    const std::string back = toGbk(toWide(gbk));
    if (back != gbk && ++wrong <= 5)
      check(false, "random " + show(gbk) + " -> " + show(back));
  }
  check(wrong == 0, std::to_string(wrong) + " random strings went wrong");
}

}  // namespace

int main() {
  checkBothWays();
  checkToGbk();
  checkEveryPair();
  checkEveryUnit();
  checkRandomBytes();
  std::printf("%d checks, %d failed\n", checks, failures);
  return failures == 0 ? 0 : 1;
}
