// Whole-file operations of the operating system, one implementation per platform.
#pragma once

#include <optional>
#include <string_view>

#include "vocabulary/text.h"

namespace xiulan::fileio {

// Names are GBK Text; each platform converts them to its own file-name encoding.
bool entryExists(const Text& name);

// The whole content, or nothing when the file cannot be opened or read. Other programs may
// read the file meanwhile but not write it.
std::optional<Bytes> readWhole(const Text& name);

// Writes to a temporary file beside `name`, flushes it to the disk and puts it in place of
// `name` in one step. 0 on success, else the system's error code.
int replaceWhole(const Text& name, std::string_view bytes);

// The system's own wording for an error code, as GBK text.
Text describeError(int systemError);

}  // namespace xiulan::fileio

#ifndef _WIN32
namespace xiulan::fileio::testing {
// Lets a test make the system's write() fail part-way, as a full disk does. Pass nullptr to
// go back to ::write.
using WriteCall = long (*)(int fd, const void* data, unsigned long size);
void setWriteCall(WriteCall call);
}  // namespace xiulan::fileio::testing
#endif
