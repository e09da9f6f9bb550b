# Turns a data file into a C++ source defining a std::string_view over its exact bytes.
# Usage: cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -DHEADER=<include> -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," body "${hex}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){16})" "\\1\n  " body "${body}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} at build time; do not edit.
#include \"${HEADER}\"

namespace xiulan {
namespace {
constexpr char kBytes[${size} + 1] = {
  ${body}'\\0'};
}  // namespace
extern const std::string_view ${SYMBOL}{kBytes, ${size}};
}  // namespace xiulan
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
