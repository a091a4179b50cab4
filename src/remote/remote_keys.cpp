#include "remote/remote_keys.h"

#include <cctype>
#include <charconv>
#include <string>

namespace ax7::remote {

namespace {

Report frame(uint8_t code) {
  Report r{};
  r[0] = 0x02;
  r[1] = code;
  return r;
}

}  // namespace

const std::array<KeyInfo, kKeyCount>& Keys() {
  // The learning texts are the box's own wording, blanks included.
  static const std::array<KeyInfo, kKeyCount> keys = {{
      {1, 1587, "power", "您正在学习的键：启动/待机", "Learning key:Power key"},
      {2, 1600, "source", "您正在学习的键：音乐源切换", "Learning key: Audio music source switch"},
      {3, 1601, "hdmi", "您正在学习的键：视频(HDMI)切换", "Learning key: Video HDMI switch "},
      {4, 1602, "up", "您正在学习的键：M1/方向上", "Learning key: M1/Up "},
      {5, 1603, "down", "您正在学习的键：M4/方向下", "Learning key:M4/Down "},
      {6, 1604, "left", "您正在学习的键：M3/方向左", "Learning key: M3/Left "},
      {7, 1605, "right", "您正在学习的键：M2/方向右", "Learning key: M2/Right "},
      {8, 1606, "ok", "您正在学习的键：确认键", "Learning key: OK key"},
      {9, 1607, "menu", "您正在学习的键：进入视频菜单", "Learning key:  Enter video menu"},
      {10, 1608, "mute", "您正在学习的键：静音键", "Learning key:  Mute "},
      {11, 1609, "exit", "您正在学习的键：退出视频菜单", "Learning key: Esc video menu "},
      {12, 1610, "mic+", "您正在学习的键：增大话筒音量", "Learning key: Mic vol increase"},
      {13, 1611, "mic-", "您正在学习的键：减小话筒音量", "Learning key:Mic vol decrease"},
      {14, 1612, "effect+", "您正在学习的键：增大效果音量", "Learning key: Effect vol increase"},
      {15, 1613, "effect-", "您正在学习的键：减小效果音量", "Learning key: Effect vol decrease"},
      {16, 1614, "music+", "您正在学习的键：增大音乐音量", "Learning key: Music vol increase"},
      {17, 1615, "music-", "您正在学习的键：减小音乐音量", "Learning key: Music vol decrease"},
  }};
  return keys;
}

const KeyInfo* KeyByNumber(int key) {
  if (key < 1 || key > kKeyCount) return nullptr;
  return &Keys()[size_t(key - 1)];
}

const KeyInfo* KeyByControl(int controlId) {
  for (const KeyInfo& k : Keys()) {
    if (k.controlId == controlId) return &k;
  }
  return nullptr;
}

const KeyInfo* KeyByName(std::string_view text) {
  int number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (!text.empty() && ec == std::errc() && end == text.data() + text.size())
    return KeyByNumber(number);
  std::string lower(text);
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (const KeyInfo& k : Keys()) {
    if (lower == k.name) return &k;
  }
  return nullptr;
}

Report LearnKeyFrame(int key) {
  Report r = frame(kCmdLearnKey);
  r[2] = uint8_t(key);
  return r;
}

Report StopLearningFrame() {
  return frame(kCmdStopLearning);
}

Report WriteKeysFrame(const RemoteKeys& keys) {
  Report r = frame(kCmdWriteKeys);
  for (size_t i = 0; i < keys.size(); ++i) r[2 + i] = keys[i];
  return r;
}

int ApplyRemoteKeys(FrameSink& sink, const RemoteKeys& keys) {
  return sink.send(WriteKeysFrame(keys), MergeKey::None());
}

}  // namespace ax7::remote
