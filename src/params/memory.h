#pragma once
// The process-wide parameter memory that mirrors the box. The UI, the reader thread and the
// synchronisation workers all touch it without a lock; every value is read and written whole
// (a word or a byte) through atomic_ref, so readers see either the old or the new value.
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace ax7 {

constexpr int kPcWords = 207;
constexpr int kPcBytes = kPcWords * 4;  // 828
constexpr int kBoxImageSize = 1246;     // 178 band records of 7 bytes
constexpr int kBandRecordSize = 7;
constexpr int kBandRecords = 178;
constexpr int kRoomTrimSize = 32;  // 8 big-endian floats
constexpr int kRoomBlockSize = 20;
constexpr int kRoomTrimAddress = 1246;  // box memory addresses
constexpr int kRoomBlockAddress = 1278;
constexpr int kLiveStatusSize = 15;
constexpr int kRemoteKeysSize = 18;
constexpr int kSettingsSize = 13;

template <size_t N>
class SharedBytes {
 public:
  static constexpr size_t size() { return N; }
  uint8_t get(size_t i) const { return ref(i).load(std::memory_order_relaxed); }
  void set(size_t i, uint8_t v) { ref(i).store(v, std::memory_order_relaxed); }
  // Copies what fits inside the block; returns the number of bytes copied.
  size_t copyIn(size_t offset, const uint8_t* src, size_t len) {
    if (offset >= N) return 0;
    if (len > N - offset) len = N - offset;
    for (size_t i = 0; i < len; ++i) set(offset + i, src[i]);
    return len;
  }
  size_t copyOut(size_t offset, uint8_t* dst, size_t len) const {
    if (offset >= N) return 0;
    if (len > N - offset) len = N - offset;
    for (size_t i = 0; i < len; ++i) dst[i] = get(offset + i);
    return len;
  }
  void fill(uint8_t v) {
    for (size_t i = 0; i < N; ++i) set(i, v);
  }
  std::array<uint8_t, N> snapshot() const {
    std::array<uint8_t, N> out;
    copyOut(0, out.data(), N);
    return out;
  }

 private:
  std::atomic_ref<uint8_t> ref(size_t i) const { return std::atomic_ref<uint8_t>(bytes_[i]); }
  mutable std::array<uint8_t, N> bytes_{};
};

// N 32-bit words, each an int or an IEEE single.
template <size_t N>
class SharedWords {
 public:
  static constexpr size_t size() { return N; }
  uint32_t raw(size_t n) const { return ref(n).load(std::memory_order_relaxed); }
  void setRaw(size_t n, uint32_t v) { ref(n).store(v, std::memory_order_relaxed); }
  int32_t getInt(size_t n) const { return int32_t(raw(n)); }
  void setInt(size_t n, int32_t v) { setRaw(n, uint32_t(v)); }
  float getFloat(size_t n) const { return std::bit_cast<float>(raw(n)); }
  void setFloat(size_t n, float v) { setRaw(n, std::bit_cast<uint32_t>(v)); }
  void clear() {
    for (size_t n = 0; n < N; ++n) setRaw(n, 0);
  }

 private:
  std::atomic_ref<uint32_t> ref(size_t n) const { return std::atomic_ref<uint32_t>(words_[n]); }
  alignas(std::atomic_ref<uint32_t>::required_alignment) mutable std::array<uint32_t, N> words_{};
};

// A fixed-size UTF-16 text written by the reader and read by the UI. Capacity includes room
// for the terminating zero where the box's layout has one.
template <size_t N>
class SharedText {
 public:
  std::u16string get() const {
    std::lock_guard lock(mutex_);
    size_t len = 0;
    while (len < N && chars_[len] != 0) ++len;
    return std::u16string(chars_.data(), len);
  }
  // Clears the text, then copies what fits.
  void set(std::u16string_view text) {
    std::lock_guard lock(mutex_);
    chars_.fill(0);
    for (size_t i = 0; i < text.size() && i < N; ++i) chars_[i] = text[i];
  }
  static constexpr size_t capacity() { return N; }

 private:
  mutable std::mutex mutex_;
  std::array<char16_t, N> chars_{};
};

// Room values decoded from the room block. Index i matches byte i of the block: 0 width and
// 1 length (whole metres), 2..3 the listener, 4+2k and 5+2k speaker k (metres).
class RoomValues {
 public:
  int width() const { return words_.getInt(0); }
  int length() const { return words_.getInt(1); }
  void setWidth(int v) { words_.setInt(0, v); }
  void setLength(int v) { words_.setInt(1, v); }
  float coord(int index) const { return words_.getFloat(size_t(index)); }  // index 2..19
  void setCoord(int index, float v) { words_.setFloat(size_t(index), v); }

 private:
  SharedWords<kRoomBlockSize> words_;
};

// What the box reports about itself, kept between connections.
struct DeviceState {
  std::atomic<int> g_nCurrentMode{0};
  std::atomic<int> g_bParamsChanged{0};
  std::atomic<uint8_t> g_nCmdVersion{1};
  std::atomic<int> g_bParamErrorShown{0};
  SharedText<30> g_szModule;  // at most 29 characters and a zero
  SharedText<11> g_szMcuVersion;
  SharedText<11> g_szDspVersion;
  std::array<SharedText<24>, 4> g_szModeName;
  SharedBytes<kLiveStatusSize> g_liveStatus;
  SharedBytes<kRemoteKeysSize> g_remoteKeys;
  SharedBytes<kSettingsSize> g_settingsCurrent;
  SharedBytes<kSettingsSize> g_settingsEdit;
};

struct ParameterMemory {
  SharedWords<kPcWords> pc;                // PC block, words little-endian in files
  SharedBytes<kBoxImageSize> boxImage;     // band records, big-endian fields
  SharedBytes<kRoomTrimSize> roomTrim;     // box address 1246
  SharedBytes<kRoomBlockSize> roomBlock;   // box address 1278
  RoomValues room;                         // decoded room block
  DeviceState dev;
};

// UTF-16 <-> UTF-8 for texts that reach the UI or the console.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

}  // namespace ax7
