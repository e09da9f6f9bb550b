// Menu shortcuts as window definitions write them, for both backends.
#pragma once

#include <cstring>

namespace xiulan::toolkit {

// The key of a shortcut of the form "Ctrl+" and one letter or digit, which is the only form the
// program's menus use: the virtual-key code of that key (its upper-case ASCII code), or 0 for
// no shortcut or any other form.
inline int ctrlShortcutKey(const char* shortcut) {
  constexpr char kCtrl[] = "Ctrl+";
  constexpr std::size_t kCtrlLength = sizeof(kCtrl) - 1;
  if (!shortcut || std::strncmp(shortcut, kCtrl, kCtrlLength) != 0 ||
      std::strlen(shortcut) != kCtrlLength + 1) {
    return 0;
  }
  const char key = shortcut[kCtrlLength];
  if (key >= 'a' && key <= 'z')
    return key - 'a' + 'A';
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    return key;
  return 0;
}

}  // namespace xiulan::toolkit
