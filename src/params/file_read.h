#pragma once
// Reading a file the user named, safely: a FIFO, a device or a directory is refused before
// anything blocks on it, and no more than a limit is read, so neither a pipe that never ends
// nor /dev/zero nor a huge file picked by mistake can hang or exhaust the program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ax7 {

struct InputFile {
  bool ok = false;
  std::vector<uint8_t> bytes;  // at most the limit
  bool truncated = false;      // the file holds more than the limit
  // When !ok: the errno of the failed open or read, or 0 when the file was opened but is no
  // regular file; reason is one English line without the path ("is a directory", ...).
  int systemError = 0;
  std::string reason;
};

// Opens without blocking, refuses anything but a regular file (after following symlinks),
// then reads up to `limit` bytes.
InputFile ReadInputFile(const std::string& path, size_t limit);

}  // namespace ax7
