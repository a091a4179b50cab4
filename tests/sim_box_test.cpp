// The simulated box by bytes: what one output report does to its state and what it answers.
#include "sim/sim_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <initializer_list>
#include <set>
#include <vector>

#include "device/dispatcher.h"
#include "params/band_record.h"
#include "params/byte_order.h"
#include "sim/sim_param_map.h"

namespace ax7::sim {
namespace {

// An output report: 0x02, then the given bytes from byte 1 on.
Report out(std::initializer_list<int> bytes) {
  Report r{};
  r[0] = 0x02;
  size_t i = 1;
  for (int b : bytes) r[i++] = uint8_t(b);
  return r;
}

// The first n bytes of a report from byte 1 on (byte 0 is the report id 0x01).
std::vector<int> head(const Report& r, size_t n) {
  EXPECT_EQ(r[0], 0x01);
  return std::vector<int>(r.begin() + 1, r.begin() + 1 + n);
}

Report dspWrite(int block, int index, const std::vector<uint32_t>& words) {
  Report r = out({0x09, 0x00, block, index, int(words.size())});
  for (size_t i = 0; i < words.size(); ++i) putBe32(&r[6 + 4 * i], words[i]);
  return r;
}

std::vector<uint32_t> answerWords(const Report& r) {
  std::vector<uint32_t> words;
  for (int i = 0; i < r[5]; ++i) words.push_back(getBe32(&r[size_t(6 + 4 * i)]));
  return words;
}

TEST(SimBox, IdentityAndAcknowledgements) {
  SimBox box;
  struct Case {
    Report request;
    std::vector<std::vector<int>> answers;  // each answer's bytes 1..n
  } cases[] = {
      {out({0x80}), {{0x80, 'A', 'X', '7', 0}}},
      {out({0x7F}), {{0x7F, 17}}},
      {out({0x81}),
       {{0x81, '2', '0', '2', '4', '-', '0', '5', '-', '1', '8', 0},
        {0x7E, '2', '0', '2', '4', '-', '0', '5', '-', '2', '0', 0}}},
      {out({0x07}), {{0x07, 0}}},
      {out({0x92}), {{0x92, 0, 0, 0, 50, 50, 99, 99, 0, 0, 0, 0, 0, 0, 0}}},
      // Writes and reports the box has nothing to say to are acknowledged with their code.
      {out({0x85, 0x05, 0x00, 1, 9}), {{0x85, 0}}},
      {out({0x13, 0x00, 0x00, 1, 9}), {{0x13, 0}}},
      {out({0x91, 1, 2, 3}), {{0x91, 0}}},
      {out({0x61}), {{0x61, 0}}},
      {out({0x8A}), {{0x8A, 0}}},
      {out({0x04, 9}), {{0x04, 0}}},  // no such mode: ignored, still acknowledged
      {out({0x55, 1, 2}), {{0x55, 0}}},
  };
  for (const Case& c : cases) {
    const std::vector<Report> answers = box.handle(c.request);
    ASSERT_EQ(answers.size(), c.answers.size()) << int(c.request[1]);
    for (size_t i = 0; i < answers.size(); ++i)
      EXPECT_EQ(head(answers[i], c.answers[i].size()), c.answers[i]) << int(c.request[1]);
  }
  EXPECT_EQ(box.currentMode(), 0);
}

TEST(SimBox, ParameterWriteIsAnsweredAndReadBack) {
  SimBox box;
  const std::vector<uint32_t> words = {0x3F800000, 0x00000000};
  auto answers = box.handle(dspWrite(5, 17, words));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(head(answers[0], 2), (std::vector<int>{0x09, 0}));

  answers = box.handle(out({0x0A, 0x00, 5, 17, 2}));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(head(answers[0], 5), (std::vector<int>{0x0A, 0, 5, 17, 2}));
  EXPECT_EQ(answerWords(answers[0]), words);
  EXPECT_EQ(box.dspParam(5, 17), words);

  // A shorter write keeps the parameter's other words; asking for more words than stored,
  // or for a parameter the box does not have, answers zeros.
  box.handle(dspWrite(5, 17, {0x40000000}));
  EXPECT_EQ(box.dspParam(5, 17), (std::vector<uint32_t>{0x40000000, 0}));
  answers = box.handle(out({0x0A, 0x00, 5, 17, 3}));
  EXPECT_EQ(answerWords(answers[0]), (std::vector<uint32_t>{0x40000000, 0, 0}));
  answers = box.handle(out({0x0A, 0x00, 13, 99, 2}));
  EXPECT_EQ(head(answers[0], 5), (std::vector<int>{0x0A, 0, 13, 99, 2}));
  EXPECT_EQ(answerWords(answers[0]), (std::vector<uint32_t>{0, 0}));
}

// A fresh box answers every parameter so that the program's decoder reads back the box's
// factory PC block: the encodings of the box and the decoding of the program agree.
TEST(SimBox, FactoryParametersDecodeToTheFactoryPcBlock) {
  SimBox box;
  ParameterMemory decoded;
  Dispatcher dispatcher(decoded);
  for (const auto& [address, words] : box.dspParams()) {
    const auto answers =
        box.handle(out({0x0A, 0x00, address.block, address.index, int(words.size())}));
    ASSERT_EQ(answers.size(), 1u);
    dispatcher.DecodeParamReply(answers[0]);
  }
  ParameterMemory factory;
  LoadFactoryPcBlock(factory);
  const std::set<int> floatWords = {31, 32, 37, 38, 45, 46, 49, 50, 194};
  for (int n = 0; n < kPcWords; ++n) {
    if (floatWords.count(n) || (n >= 121 && n <= 160)) {
      const float want = factory.pc.getFloat(size_t(n));
      // Attack and release come back through a logarithm of a single near 1.
      EXPECT_NEAR(decoded.pc.getFloat(size_t(n)), want, 1e-3 * std::max(1.0f, std::fabs(want)))
          << n;
    } else {
      EXPECT_EQ(decoded.pc.getInt(size_t(n)), factory.pc.getInt(size_t(n))) << n;
    }
  }
}

TEST(SimBox, MemoryWriteReadAndBlankMemory) {
  SimBox box;
  // The default image: record 0 is a PEQ at 31 Hz, Q 1.414, 0 dB.
  auto answers = box.handle(out({0x86, 0x00, 0x00, 7}));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(head(answers[0], 11),
            (std::vector<int>{0x86, 0x00, 0x00, 7, 0x00, 0x96, 0x00, 0x1F, 0x05, 0x86, 0x01}));

  box.handle(out({0x85, 0x04, 0xE0, 3, 0xAB, 0xCD, 0xEF}));  // 1248, inside the room trim
  answers = box.handle(out({0x86, 0x04, 0xDE, 6}));
  EXPECT_EQ(head(answers[0], 10),
            (std::vector<int>{0x86, 0x04, 0xDE, 6, 0, 0, 0xAB, 0xCD, 0xEF, 0}));

  // Reads are cut at the end of memory; writes past it change nothing.
  answers = box.handle(out({0x86, 0x05, 0x0A, 56}));  // 1290: 8 bytes left
  EXPECT_EQ(answers[0][4], 8);
  answers = box.handle(out({0x86, 0x05, 0x12, 56}));  // 1298: nothing
  EXPECT_EQ(answers[0][4], 0);
  const BoxMemory before = box.memory();
  box.handle(out({0x85, 0x05, 0x12, 4, 1, 2, 3, 4}));
  EXPECT_EQ(box.memory(), before);

  box.eraseMemory();
  answers = box.handle(out({0x86, 0x00, 0x38, 56}));
  EXPECT_EQ(head(answers[0], 6), (std::vector<int>{0x86, 0x00, 0x38, 56, 0xFF, 0xFF}));
}

TEST(SimBox, ModesStoreRecallAndReset) {
  SimBox box;
  const std::vector<uint32_t> factoryVolume = box.dspParam(1, 14);
  box.handle(dspWrite(1, 14, {0x3F000000}));
  box.handle(out({0x85, 0x00, 0x00, 2, 0x01, 0x2C}));
  box.handle(out({0x04, 2}));
  EXPECT_EQ(box.currentMode(), 2);
  EXPECT_EQ(box.storedMode(2).params.at({1, 14}), std::vector<uint32_t>{0x3F000000});
  EXPECT_EQ(box.storedMode(2).memory[1], 0x2C);
  EXPECT_EQ(box.storedMode(1), SimBox::factoryState());

  box.handle(dspWrite(1, 14, {0x3E000000}));
  box.handle(out({0x05, 2}));
  EXPECT_EQ(box.dspParam(1, 14), std::vector<uint32_t>{0x3F000000});
  box.handle(out({0x05, 0}));
  EXPECT_EQ(box.dspParam(1, 14), factoryVolume);
  EXPECT_EQ(head(box.handle(out({0x07}))[0], 2), (std::vector<int>{0x07, 0}));

  // Reset: mode 2 back to factory and live, mode 2 current.
  box.handle(out({0x06, 2}));
  EXPECT_EQ(box.storedMode(2), SimBox::factoryState());
  EXPECT_EQ(box.liveState(), SimBox::factoryState());
  EXPECT_EQ(box.currentMode(), 2);

  // 0x68 resets everything only with its 0xAA guard.
  box.handle(out({0x04, 3}));
  box.handle(out({0x68, 0x55}));
  EXPECT_EQ(box.currentMode(), 3);
  box.handle(out({0x68, 0xAA}));
  EXPECT_EQ(box.currentMode(), 0);
}

TEST(SimBox, ModeNamesAsUtf16BigEndian) {
  SimBox box;
  box.setModeName(1, u"Party");
  const auto answers = box.handle(out({0x95}));
  ASSERT_EQ(answers.size(), 4u);
  for (int m = 0; m < 4; ++m) {
    EXPECT_EQ(answers[m][1], 0xDB);
    EXPECT_EQ(getBe16(&answers[m][2]), 0x0F00 + 0x40 * m);
    EXPECT_EQ(answers[m][4], 48);
  }
  EXPECT_EQ(std::vector<int>(answers[0].begin() + 5, answers[0].begin() + 17),
            (std::vector<int>{0, 'M', 0, 'o', 0, 'd', 0, 'e', 0, '1', 0, 0}));
  EXPECT_EQ(std::vector<int>(answers[1].begin() + 5, answers[1].begin() + 17),
            (std::vector<int>{0, 'P', 0, 'a', 0, 'r', 0, 't', 0, 'y', 0, 0}));
}

TEST(SimBox, KeyLearningAndTheKeyTable) {
  SimBox box;
  // respond() gives the delay; the answer counts only while learning was not stopped.
  auto replies = box.respond(out({0x60, 5}));
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].delayMs, kDefaultLearnDelayMs);
  EXPECT_EQ(head(replies[0].report, 4), (std::vector<int>{0x60, 0x20, 5, 0x45}));
  box.handle(out({0x61}));
  EXPECT_FALSE(box.completeLearning(replies[0].learnTicket));
  EXPECT_EQ(box.remoteKeys()[5], 0);

  // A second request replaces the first one.
  const auto first = box.respond(out({0x60, 1}));
  const auto second = box.respond(out({0x60, 17}));
  EXPECT_FALSE(box.completeLearning(first[0].learnTicket));
  EXPECT_TRUE(box.completeLearning(second[0].learnTicket));
  EXPECT_EQ(box.remoteKeys()[0], 0x20);
  EXPECT_EQ(box.remoteKeys()[17], SimBox::learnedCode(17));

  // Keys outside 1..17 are not learned, so no answer pretends a code was.
  EXPECT_TRUE(box.handle(out({0x60, 0})).empty());
  EXPECT_TRUE(box.handle(out({0x60, 18})).empty());

  Report write = out({0x63});
  for (int i = 0; i < 18; ++i) write[size_t(2 + i)] = uint8_t(0xA0 + i);
  box.handle(write);
  const auto answers = box.handle(out({0x62}));
  ASSERT_EQ(answers.size(), 1u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(answers[0][size_t(2 + i)], 0xA0 + i) << i;
  EXPECT_EQ(answers[0][18], 0);  // 16 bytes only
  EXPECT_EQ(box.remoteKeys()[17], 0xB1);
}

TEST(SimBox, LiveStatusMoves) {
  SimBox box;
  box.setMusicFormat(0x02);
  const Report a = box.handle(out({0x0E}))[0];
  const Report b = box.handle(out({0x0E}))[0];
  EXPECT_EQ(a[1], 0x0E);
  EXPECT_NE(std::vector<int>(a.begin() + 2, a.begin() + 8),
            std::vector<int>(b.begin() + 2, b.begin() + 8));
  EXPECT_EQ(a[9], 0x02);  // format flags, status byte 7
  EXPECT_EQ(a[12], 13);   // first microphone's channel
  EXPECT_EQ(box.statusRequests(), 2);
}

// Z-Wave request as the program wraps it: 0x12, n + 4, SOF, n + 2, 0x00, payload, checksum.
Report zwave(std::initializer_list<int> payload) {
  Report r = out({0x12, int(payload.size()) + 4, 0x01, int(payload.size()) + 2, 0x00});
  size_t i = 6;
  for (int b : payload) r[i++] = uint8_t(b);
  r[i] = SimZWave::checksum(&r[4], int(payload.size()) + 2);
  return r;
}

// The module's frame in an answer, checked for a valid checksum: type, function, parameters.
std::vector<int> zwaveFrame(const Report& r) {
  EXPECT_EQ(r[1], 0x12);
  if (r[2] == 1) return {r[3]};
  EXPECT_EQ(r[3], 0x01);
  const int len = r[4];
  EXPECT_EQ(r[2], len + 2);
  EXPECT_EQ(SimZWave::checksum(&r[4], len), r[size_t(4 + len)]);
  return std::vector<int>(r.begin() + 5, r.begin() + 4 + len);
}

TEST(SimBox, ZWaveControllerWithPlugs) {
  SimBox box;
  auto answers = box.handle(zwave({0x02}));
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(zwaveFrame(answers[0]), std::vector<int>{0x06});
  std::vector<int> init = zwaveFrame(answers[1]);
  ASSERT_GE(init.size(), 5u + 29);
  EXPECT_EQ(std::vector<int>(init.begin(), init.begin() + 6),
            (std::vector<int>{0x01, 0x02, 0x05, 0x08, 29, 0x0F}));  // nodes 1..4

  // Basic Get to the dimmer (node 3): response, callback OK, Basic Report with its value.
  answers = box.handle(zwave({0x13, 3, 2, 0x20, 0x02, 0x25, 0x25}));
  ASSERT_EQ(answers.size(), 4u);
  EXPECT_EQ(zwaveFrame(answers[1]), (std::vector<int>{0x01, 0x13, 0x01}));
  EXPECT_EQ(zwaveFrame(answers[2]), (std::vector<int>{0x00, 0x13, 0x25, 0x00}));
  EXPECT_EQ(zwaveFrame(answers[3]), (std::vector<int>{0x00, 0x04, 0x00, 3, 3, 0x20, 0x03, 40}));
  // Basic Set changes it; an absent node fails with transmit status 1 and no report.
  box.handle(zwave({0x13, 3, 3, 0x20, 0x01, 77, 0x25, 0x26}));
  EXPECT_EQ(box.zwave().nodeValue(3), 77);
  answers = box.handle(zwave({0x13, 9, 2, 0x20, 0x02, 0x25, 0x25}));
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(zwaveFrame(answers[2]), (std::vector<int>{0x00, 0x13, 0x25, 0x01}));

  // Set default: the callback, and the network is the controller alone.
  answers = box.handle(zwave({0x42, 0x02}));
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(zwaveFrame(answers[1]), (std::vector<int>{0x00, 0x42, 0x02}));
  init = zwaveFrame(box.handle(zwave({0x02}))[1]);
  EXPECT_EQ(init[5], 0x01);
  EXPECT_EQ(box.zwave().nodes(), std::vector<int>{1});

  // A damaged frame gets a NAK; the program's own ACK gets nothing, as from a real module.
  Report bad = zwave({0x02});
  bad[7] ^= 0x01;
  EXPECT_EQ(zwaveFrame(box.handle(bad)[0]), std::vector<int>{0x15});
  EXPECT_TRUE(box.handle(out({0x12, 1, 0x06})).empty());
}

TEST(SimBox, ZWaveSilentNodeAndPlugsJoiningOrLeaving) {
  SimBox box;
  // A silent node takes its radio frame (status 0) and never reports.
  box.zwave().setSilentNode(7);
  auto answers = box.handle(zwave({0x13, 7, 2, 0x20, 0x02, 0x25, 0x25}));
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(zwaveFrame(answers[2]), (std::vector<int>{0x00, 0x13, 0x25, 0x00}));

  answers = box.zwave().addNode(9);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(zwaveFrame(answers[1]),
            (std::vector<int>{0x00, 0x4A, 0x00, 0x05, 9, 3, 0x04, 0x10, 0x01}));
  EXPECT_TRUE(box.zwave().nodePresent(9));
  answers = box.zwave().removeNode(9);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(zwaveFrame(answers[1]), (std::vector<int>{0x00, 0x4B, 0x00, 0x06, 9, 0}));
  EXPECT_FALSE(box.zwave().nodePresent(9));
  EXPECT_TRUE(box.zwave().removeNode(1).empty()) << "the controller stays";
}

TEST(SimBox, PlugMemoryWriteAndRead) {
  SimBox box;
  // Plug record of node 2 by default: a switch plug named "Plug 2".
  auto answers = box.handle(out({0x14, 0x00, 56, 8}));
  EXPECT_EQ(head(answers[0], 12),
            (std::vector<int>{0x14, 0x00, 56, 8, 1, 0, 0, 0, 'P', 0, 'l', 0}));
  box.handle(out({0x13, 0x19, 0x7C, 2, 0x03, 0x63}));  // scene 0 at 6524
  answers = box.handle(out({0x14, 0x19, 0x7C, 56}));
  EXPECT_EQ(head(answers[0], 6), (std::vector<int>{0x14, 0x19, 0x7C, 56, 0x03, 0x63}));
  answers = box.handle(out({0x14, 0x1A, 0x5C, 28}));  // 6748: past the end
  EXPECT_EQ(answers[0][4], 0);
}

}  // namespace
}  // namespace ax7::sim
