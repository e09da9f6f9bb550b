// The word list the program ships with: 777 GBK lines joined by CR LF, none after the last.
// Its bytes are compiled in from builtin_vocabulary.gbk.txt.
#pragma once

#include <string_view>

namespace xiulan {

extern const std::string_view kBuiltInVocabulary;

}  // namespace xiulan
