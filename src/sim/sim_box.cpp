#include "sim/sim_box.h"

#include <algorithm>

#include "params/band_record.h"
#include "params/byte_order.h"
#include "params/room.h"

namespace ax7::sim {

namespace {

constexpr int kMaxWords = 13;  // words that fit after the 6 header bytes of a 0x09/0x0A
constexpr int kMaxTextBytes = 58;
constexpr int kModeNameAddress = 0x0F00;  // + 0x40 per mode

Report answer(uint8_t code) {
  Report r{};
  r[0] = 0x01;
  r[1] = code;
  return r;
}

Report textAnswer(uint8_t code, const std::string& text) {
  Report r = answer(code);
  const size_t n = std::min(text.size(), size_t(kMaxTextBytes));
  std::copy_n(text.begin(), n, r.begin() + 2);  // the zero after it is already there
  return r;
}

bool validMode(int mode) {
  return mode >= 0 && mode < kModeCount;
}

// Sweeps 0..220..0 over 40 status requests, so meters visibly move at the 300 ms poll.
uint8_t triangle(int t) {
  const int p = t % 40;
  return uint8_t(p < 20 ? p * 11 : (40 - p) * 11);
}

SimModeState makeFactoryState() {
  ParameterMemory scratch;
  LoadFactoryPcBlock(scratch);
  LoadDefaultBoxImage(scratch);
  scratch.roomTrim.fill(0);
  scratch.roomBlock.copyIn(0, kDefaultRoomBlock.data(), kDefaultRoomBlock.size());
  SimModeState s;
  s.params = EncodeDspParams(scratch);
  scratch.boxImage.copyOut(0, s.memory.data(), kBoxImageSize);
  scratch.roomTrim.copyOut(0, s.memory.data() + kRoomTrimAddress, kRoomTrimSize);
  scratch.roomBlock.copyOut(0, s.memory.data() + kRoomBlockAddress, kRoomBlockSize);
  return s;
}

}  // namespace

const SimModeState& SimBox::factoryState() {
  static const SimModeState state = makeFactoryState();
  return state;
}

SimBox::SimBox() {
  resetToFactory();
}

void SimBox::resetToFactory() {
  live_ = factoryState();
  modes_.fill(live_);
  currentMode_ = 0;
  // Start volumes 50, maximum volumes 99, volumes saved by power, power-on mode "Auto".
  settings_ = {0, 0, 0, 50, 50, 99, 99, 0, 0, 0, 0, 0, 0};
  keys_.fill(0);
  for (int m = 0; m < kModeCount; ++m)
    modeNames_[size_t(m)] = u"Mode" + std::u16string(1, char16_t(u'1' + m));
  learningKey_ = 0;
}

std::vector<Report> SimBox::handle(const Report& out) {
  std::vector<Report> reports;
  for (const SimReply& r : respond(out))
    if (r.learnTicket == 0 || completeLearning(r.learnTicket)) reports.push_back(r.report);
  return reports;
}

std::vector<SimReply> SimBox::respond(const Report& out) {
  const uint8_t code = out[1];
  const int arg = out[2];
  std::vector<SimReply> replies;
  auto reply = [&](const Report& r) { replies.push_back({r}); };

  switch (code) {
    case 0x03:
    case 0x04:
      if (validMode(arg)) {
        modes_[size_t(arg)] = live_;
        currentMode_ = arg;
      }
      reply(answer(code));
      break;
    case 0x05:
      if (validMode(arg)) {
        live_ = modes_[size_t(arg)];
        currentMode_ = arg;
      }
      reply(answer(code));
      break;
    case 0x06:
      if (validMode(arg)) {
        modes_[size_t(arg)] = factoryState();
        live_ = factoryState();
        currentMode_ = arg;
      }
      reply(answer(code));
      break;
    case 0x07: {
      Report r = answer(code);
      r[2] = uint8_t(currentMode_);
      reply(r);
      break;
    }
    case 0x09:
      writeDsp(out);
      reply(answer(0x09));
      break;
    case 0x0A:
      reply(paramAnswer(out));
      break;
    case 0x0E:
      reply(liveStatus());
      break;
    case 0x12:
      for (const Report& r : zwave_.handleFrame(out)) reply(r);
      break;
    case 0x13:
      zwave_.writeMemory(out);
      reply(answer(code));
      break;
    case 0x14:
      reply(zwave_.readMemory(out));
      break;
    case 0x60:
      // Keys 1..17 only: an answer for any other key would read as a learned code of 0.
      if (arg >= 1 && arg < kRemoteKeysSize) {
        learningKey_ = arg;
        Report r = answer(code);
        r[2] = kLearnCodeByte;
        r[3] = uint8_t(arg);
        r[4] = learnedCode(arg);
        replies.push_back({r, learnDelayMs_, ++learnTicket_});
      }
      break;
    case 0x61:
      learningKey_ = 0;
      reply(answer(code));
      break;
    case 0x62: {
      Report r = answer(code);
      std::copy_n(keys_.begin(), 16, r.begin() + 2);
      reply(r);
      break;
    }
    case 0x63:
      std::copy_n(out.begin() + 2, kRemoteKeysSize, keys_.begin());
      reply(answer(code));
      break;
    case 0x68:
      if (arg == 0xAA) resetToFactory();
      reply(answer(code));
      break;
    case 0x7F: {
      Report r = answer(code);
      r[2] = identity_.cmdVersion;
      reply(r);
      break;
    }
    case 0x80:
      reply(textAnswer(code, identity_.module));
      break;
    case 0x81:
      reply(textAnswer(code, identity_.mcuVersion));
      reply(textAnswer(0x7E, identity_.dspVersion));
      break;
    case 0x85:
      setMemory(getBe16(&out[2]), &out[5], std::min<int>(out[4], kMemoryChunkBytes));
      reply(answer(code));
      break;
    case 0x86:
      reply(memoryAnswer(out));
      break;
    case 0x91:
      std::copy_n(out.begin() + 2, kSettingsSize, settings_.begin());
      reply(answer(code));
      break;
    case 0x92: {
      Report r = answer(code);
      std::copy(settings_.begin(), settings_.end(), r.begin() + 2);
      reply(r);
      break;
    }
    case 0x95:
      for (int m = 0; m < kModeCount; ++m) {
        Report r = answer(0xDB);
        putBe16(&r[2], uint16_t(kModeNameAddress + 0x40 * m));
        r[4] = 2 * kModeNameChars;
        const std::u16string& name = modeNames_[size_t(m)];
        for (size_t i = 0; i < name.size(); ++i) putBe16(&r[5 + 2 * i], uint16_t(name[i]));
        reply(r);
      }
      break;
    default:
      reply(answer(code));
      break;
  }
  return replies;
}

bool SimBox::completeLearning(uint32_t ticket) {
  if (learningKey_ == 0 || ticket != learnTicket_) return false;
  keys_[0] = kLearnCodeByte;
  keys_[size_t(learningKey_)] = learnedCode(learningKey_);
  learningKey_ = 0;
  return true;
}

void SimBox::writeDsp(const Report& out) {
  const int count = std::min<int>(out[5], kMaxWords);
  if (count == 0) return;
  std::vector<uint32_t>& words = live_.params[{out[3], out[4]}];
  if (int(words.size()) < count) words.resize(size_t(count));
  for (int i = 0; i < count; ++i) words[size_t(i)] = getBe32(&out[size_t(6 + 4 * i)]);
}

Report SimBox::paramAnswer(const Report& out) const {
  const int count = std::min<int>(out[5], kMaxWords);
  Report r = answer(0x0A);
  r[2] = 0;  // status
  r[3] = out[3];
  r[4] = out[4];
  r[5] = uint8_t(count);
  const std::vector<uint32_t> words = dspParam(out[3], out[4]);
  for (int i = 0; i < count && i < int(words.size()); ++i)
    putBe32(&r[size_t(6 + 4 * i)], words[size_t(i)]);
  return r;
}

Report SimBox::memoryAnswer(const Report& out) const {
  const int address = getBe16(&out[2]);
  const int len = std::clamp(kBoxMemorySize - address, 0, std::min<int>(out[4], kMemoryChunkBytes));
  Report r = answer(0x86);
  r[2] = out[2];
  r[3] = out[3];
  r[4] = uint8_t(len);
  if (len > 0) std::copy_n(live_.memory.begin() + address, len, r.begin() + 5);
  return r;
}

Report SimBox::liveStatus() {
  const int t = statusRequests_++;
  Report r = answer(0x0E);
  uint8_t* s = &r[2];
  for (int i = 0; i < 4; ++i) s[i] = triangle(t + 7 * i);
  s[4] = triangle(t + 3);  // music left and right
  s[5] = triangle(t + 5);
  s[7] = musicFormat_;
  s[8] = 220;  // first wireless microphone: RF, AF, channel, battery
  s[9] = uint8_t(t % 14);
  s[10] = 13;
  s[11] = 200;
  s[12] = 200;  // second one: RF, AF, channel; its battery follows the record
  s[13] = uint8_t((t + 6) % 14);
  s[14] = 60;
  s[15] = 190;
  return r;
}

std::vector<uint32_t> SimBox::dspParam(int block, int index) const {
  auto it = live_.params.find({block, index});
  return it == live_.params.end() ? std::vector<uint32_t>{} : it->second;
}

void SimBox::setDspParam(int block, int index, std::vector<uint32_t> words) {
  live_.params[{block, index}] = std::move(words);
}

void SimBox::loadParameterMemory(const ParameterMemory& mem) {
  live_.params = EncodeDspParams(mem);
  mem.boxImage.copyOut(0, live_.memory.data(), kBoxImageSize);
  mem.roomTrim.copyOut(0, live_.memory.data() + kRoomTrimAddress, kRoomTrimSize);
  mem.roomBlock.copyOut(0, live_.memory.data() + kRoomBlockAddress, kRoomBlockSize);
}

void SimBox::setMemory(int address, const uint8_t* data, int length) {
  if (address < 0 || address >= kBoxMemorySize || length <= 0) return;
  length = std::min(length, kBoxMemorySize - address);
  std::copy_n(data, length, live_.memory.begin() + address);
}

void SimBox::eraseMemory() {
  live_.memory.fill(0xFF);
}

void SimBox::setCurrentMode(int mode) {
  if (validMode(mode)) currentMode_ = mode;
}

const SimModeState& SimBox::storedMode(int mode) const {
  return modes_[size_t(std::clamp(mode, 0, kModeCount - 1))];
}

void SimBox::setStoredMode(int mode, SimModeState state) {
  if (validMode(mode)) modes_[size_t(mode)] = std::move(state);
}

std::u16string SimBox::modeName(int mode) const {
  return validMode(mode) ? modeNames_[size_t(mode)] : std::u16string();
}

void SimBox::setModeName(int mode, std::u16string name) {
  if (!validMode(mode)) return;
  if (name.size() > size_t(kModeNameChars)) name.resize(size_t(kModeNameChars));
  modeNames_[size_t(mode)] = std::move(name);
}

}  // namespace ax7::sim
