#pragma once
// The remote key table and the keys the box can learn: which key number each has, its click
// area on the learning window, what the learning dialog says about it and the name ax7ctl
// takes; and the reports that learn a key, stop learning and write the table.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "device/frame_sink.h"
#include "device/report.h"
#include "params/memory.h"

namespace ax7::remote {

// Byte 0: the code byte the box sends with every learned key; bytes 1..17: codes of keys 1..17.
using RemoteKeys = std::array<uint8_t, kRemoteKeysSize>;

constexpr int kKeyCount = 17;
// The box reports only table bytes 0..15 when asked (0x62); keys 16 and 17 are known to the
// program only once learned or loaded.
constexpr int kReportedBytes = 16;

constexpr uint8_t kCmdLearnKey = 0x60;
constexpr uint8_t kCmdStopLearning = 0x61;
constexpr uint8_t kCmdReadKeys = 0x62;
constexpr uint8_t kCmdWriteKeys = 0x63;

struct KeyInfo {
  int key;           // 1..17, also the table byte
  int controlId;     // the key area on the learning window
  const char* name;  // ax7ctl's name
  const char* zh;    // the learning dialog's text
  const char* en;
};

const std::array<KeyInfo, kKeyCount>& Keys();
// By key number 1..17 or by control id; nullptr when there is none.
const KeyInfo* KeyByNumber(int key);
const KeyInfo* KeyByControl(int controlId);
// A key number ("1".."17") or a name ("power", "mic+", ...; case does not matter).
const KeyInfo* KeyByName(std::string_view text);

// 02 60 n.
Report LearnKeyFrame(int key);
// 02 61.
Report StopLearningFrame();
// 02 63 and the 18 bytes, built byte by byte: any byte value, 0xFF included, goes out as it is.
Report WriteKeysFrame(const RemoteKeys& keys);

// Sends the table to the box; what the sink returns.
int ApplyRemoteKeys(FrameSink& sink, const RemoteKeys& keys);

}  // namespace ax7::remote
