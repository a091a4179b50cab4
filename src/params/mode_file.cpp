#include "params/mode_file.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "params/byte_order.h"
#include "params/file_read.h"
#include "params/room.h"

namespace ax7 {

namespace {

constexpr int kVersionBytes = 4;

// What each file version holds after the version word. Parts a version lacks keep their
// values in memory when it is loaded.
struct VersionLayout {
  int pcBytes;
  bool hasRoomTrim;
  bool hasRoomBlock;

  size_t fileSize() const {
    return size_t(kVersionBytes + pcBytes + kBoxImageSize + (hasRoomTrim ? kRoomTrimSize : 0) +
                  (hasRoomBlock ? kRoomBlockSize : 0));
  }
};

constexpr VersionLayout kLayouts[] = {
    {784, false, false},  // 1: words 0..195
    {784, true, false},   // 2
    {796, true, false},   // 3: words 0..198
    {796, true, true},    // 4
    {828, true, true},    // 5: the whole PC block
};

ModeFileResult failure(std::string error, int version = 0) {
  ModeFileResult r;
  r.version = version;
  r.error = std::move(error);
  return r;
}

}  // namespace

std::vector<uint8_t> ModeFileBytes(const ParameterMemory& mem) {
  std::vector<uint8_t> out(kModeFileSize);
  uint8_t* p = out.data();
  putLe32(p, kModeFileVersion);
  p += kVersionBytes;
  for (int n = 0; n < kPcWords; ++n, p += 4) putLe32(p, mem.pc.raw(size_t(n)));
  p += mem.boxImage.copyOut(0, p, kBoxImageSize);
  p += mem.roomTrim.copyOut(0, p, kRoomTrimSize);
  mem.roomBlock.copyOut(0, p, kRoomBlockSize);
  return out;
}

ModeFileResult LoadModeFileBytes(ParameterMemory& mem, const uint8_t* data, size_t size) {
  if (size < kVersionBytes) {
    return failure("mode file too short: " + std::to_string(size) + " bytes, expected at least " +
                   std::to_string(kVersionBytes));
  }
  uint32_t version = getLe32(data);
  if (version < 1 || version > 5) {
    return failure("unsupported mode file version " + std::to_string(version));
  }
  const VersionLayout& layout = kLayouts[version - 1];
  // Everything is checked before the first byte reaches memory, so a bad file changes nothing.
  if (size < layout.fileSize()) {
    return failure("mode file too short for version " + std::to_string(version) + ": " +
                       std::to_string(size) + " bytes, expected " +
                       std::to_string(layout.fileSize()),
                   int(version));
  }

  const uint8_t* p = data + kVersionBytes;
  for (int n = 0; n < layout.pcBytes / 4; ++n, p += 4) mem.pc.setRaw(size_t(n), getLe32(p));
  p += mem.boxImage.copyIn(0, p, kBoxImageSize);
  if (layout.hasRoomTrim) p += mem.roomTrim.copyIn(0, p, kRoomTrimSize);
  if (layout.hasRoomBlock) {
    mem.roomBlock.copyIn(0, p, kRoomBlockSize);
    DecodeRoomBlock(mem);
  }
  ModeFileResult r;
  r.ok = true;
  r.version = int(version);
  return r;
}

ModeFileResult LoadModeFile(ParameterMemory& mem, const std::string& path) {
  // No version is longer than the current one; anything past it is ignored, so a huge file
  // picked by mistake is never read whole.
  const InputFile in = ReadInputFile(path, kModeFileSize);
  if (!in.ok) {
    ModeFileResult r = failure("Can't read mode file '" + path + "': " + in.reason);
    // A pipe or a folder could not be opened as a file either: the same message box.
    r.systemError = in.systemError != 0 ? in.systemError : EINVAL;
    return r;
  }
  ModeFileResult r = LoadModeFileBytes(mem, in.bytes.data(), in.bytes.size());
  if (!r.ok) r.error = "Can't load mode file '" + path + "': " + r.error;
  return r;
}

}  // namespace ax7
