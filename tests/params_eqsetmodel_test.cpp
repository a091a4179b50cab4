// The EQ set model: the one rule from a stored record to a shown band, loading a set from the box
// image, and the crossover band of output sets.
#include <gtest/gtest.h>

#include <memory>

#include "params/band_record.h"
#include "params/defaults.h"
#include "params/eq_set_model.h"
#include "params/eq_sets.h"
#include "params/memory.h"

namespace ax7 {
namespace {

void Put(ParameterMemory& mem, int set, int band, int type, float gain, float hz, float q) {
  const PackedBand rec = PackBandRecord(type, gain, hz, q);
  mem.boxImage.copyIn(size_t(EqSetOffset(set) + band * kBandRecordSize), rec.data(), rec.size());
}

std::unique_ptr<EqSetModel> Loaded(const ParameterMemory& mem, int set) {
  auto m = std::make_unique<EqSetModel>();
  m->setEqSet(set);
  m->setBandCount(10);
  m->setBandCount(EqSetBandCount(set));
  m->load(mem, EqSetBandCount(set));
  return m;
}

struct ShownCase {
  const char* what;
  int set;
  int type;
  float gain, hz, q;
  int shownType;
  float shownGain, shownHz, shownQ;
};

// Every caller that shows a stored set (the editor of any set and the small previews of the
// effect EQs) goes through this one rule; these are the cases where copies of it once differed.
TEST(EqSetModelTest, StoredRecordBecomesShownBand) {
  const ShownCase cases[] = {
      {"PEQ keeps a Q below 1", 2, 1, 6.0f, 500, 0.5f, 1, 6.0f, 500, 0.5f},
      {"PEQ Q up to 30", 0, 1, -3.0f, 800, 50.0f, 1, -3.0f, 800, 30.0f},
      {"shelf Q at most 2", 2, 4, -3.0f, 200, 50.0f, 4, -3.0f, 200, 2.0f},
      {"Q at least 0.1", 4, 5, 2.0f, 4000, 0.05f, 5, 2.0f, 4000, 0.1f},
      {"low-pass has no gain", 6, 2, 6.0f, 800, 1.2f, 2, 0.0f, 800, 1.2f},
      {"no stored Q: PEQ 1.41", 0, 1, 1.0f, 1000, 0.0f, 1, 1.0f, 1000, 1.41f},
      {"no stored Q: shelf 0.7", 1, 5, 1.0f, 1000, 0.0f, 5, 1.0f, 1000, 0.7f},
      {"frequency within 20..20000", 3, 1, 0.0f, 30000, 1.0f, 1, 0.0f, 20000, 1.0f},
      {"frequency at least 20", 3, 1, 0.0f, 5, 1.0f, 1, 0.0f, 20, 1.0f},
      {"gain within 15 dB", 0, 1, 20.0f, 100, 1.0f, 1, 15.0f, 100, 1.0f},
      {"a code without a name is off", 5, 9, 3.0f, 300, 1.0f, 0, 3.0f, 300, 1.0f},
      {"output sets keep section codes", 7, 9, 3.0f, 300, 1.0f, 9, 0.0f, 300, 1.0f},
      {"but not above 31", 8, 32, 3.0f, 300, 1.0f, 0, 3.0f, 300, 1.0f},
  };
  for (const ShownCase& c : cases) {
    ParameterMemory mem;
    InitParameterMemory(mem);
    Put(mem, c.set, 3, c.type, c.gain, c.hz, c.q);
    const auto m = Loaded(mem, c.set);
    const dsp::EqBand& b = m->band(3);
    EXPECT_EQ(b.type, c.shownType) << c.what;
    EXPECT_NEAR(b.gainDb, c.shownGain, 1e-4) << c.what;
    EXPECT_EQ(b.freq, c.shownHz) << c.what;
    EXPECT_NEAR(b.q, c.shownQ, 1e-4) << c.what;
  }
}

// A stored 0 is no value. What is shown then must not depend on what the model held before:
// a reload after edits shows what a fresh load shows.
TEST(EqSetModelTest, StoredZerosShowTheSameBandsWhateverWasShownBefore) {
  for (int set : {0, 2, 7}) {
    ParameterMemory mem;
    InitParameterMemory(mem);
    Put(mem, set, 3, 1, 2.0f, 0, 0);  // neither frequency nor Q
    Put(mem, set, 4, 0, 0.0f, 0, 0);  // an empty record
    const auto fresh = Loaded(mem, set);
    EXPECT_EQ(fresh->band(3).freq, 250.0f) << set;  // the graph's default for band 3
    EXPECT_NEAR(fresh->band(3).q, 1.41f, 1e-6) << set;

    auto edited = Loaded(mem, set);
    for (int b : {3, 4}) {
      edited->setBandType(b, 4);
      edited->setBandFrequency(b, 5000);
      edited->setBandQ(b, 1.9);
    }
    edited->load(mem, EqSetBandCount(set));
    for (int b = 0; b < EqSetBandCount(set); ++b) {
      const dsp::EqBand& want = fresh->band(b);
      const dsp::EqBand& got = edited->band(b);
      EXPECT_EQ(got.type, want.type) << "set " << set << " band " << b;
      EXPECT_EQ(got.freq, want.freq) << "set " << set << " band " << b;
      EXPECT_EQ(got.gainDb, want.gainDb) << "set " << set << " band " << b;
      EXPECT_EQ(got.q, want.q) << "set " << set << " band " << b;
    }
  }
}

// The crossover band of an output set pulls records 10..12 along; a record with its own values
// then keeps them, one without a frequency shows the crossover's.
TEST(EqSetModelTest, CrossoverRecordsFollowTheCrossoverBand) {
  ParameterMemory mem;
  InitParameterMemory(mem);
  Put(mem, 9, 9, 2, 0.0f, 2500, 0.7f);
  Put(mem, 9, 10, 2, 0.0f, 0, 0);
  Put(mem, 9, 11, 2, 0.0f, 1200, 0.5f);
  const auto m = Loaded(mem, 9);
  EXPECT_TRUE(m->isOutputSet());
  EXPECT_EQ(m->markerCount(), EqSetModel::kOutputMarkers);
  EXPECT_EQ(m->band(10).freq, 2500.0f);
  EXPECT_NEAR(m->band(10).q, 0.7f, 1e-6);
  EXPECT_EQ(m->band(11).freq, 1200.0f);
  EXPECT_NEAR(m->band(11).q, 0.5f, 1e-6);
}

// Loading computes each curve once; what it shows must be what showing the records one by one
// on a fresh model shows, for every set (the crossover pull included), whatever the model showed
// before, and through the one-call form the previews use.
TEST(EqSetModelTest, LoadShowsWhatShowingEachRecordInTurnShows) {
  ParameterMemory mem;
  InitParameterMemory(mem);
  unsigned seed = 7;
  const auto next = [&seed](unsigned range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % range;
  };
  for (int set = 0; set < kEqSetCount; ++set) {
    for (int b = 0; b < EqSetBandCount(set); ++b) {
      // Types past the named ones, zero frequencies and Qs ("no value") among them.
      Put(mem, set, b, int(next(8)), float(int(next(400)) - 200) / 10.0f,
          next(5) == 0 ? 0.0f : float(20 + next(19000)), next(5) == 0 ? 0.0f : next(300) / 10.0f);
    }
  }
  for (int set = 0; set < kEqSetCount; ++set) {
    SCOPED_TRACE(set);
    const int count = EqSetBandCount(set);
    for (int records : {3, 10, 11, count}) {
      EqSetModel stepwise;
      stepwise.setEqSet(set);
      stepwise.setBandCount(count);
      for (int b = 0; b < std::min(records, count); ++b)
        stepwise.showStoredBand(b, LoadEqSetRecord(mem, set, b));

      EqSetModel reused;
      reused.setEqSet((set + 5) % kEqSetCount);
      reused.setBandCount(EqSetBandCount((set + 5) % kEqSetCount));
      reused.dragBand(2, 3000, 6);
      reused.setEqSet(set);
      reused.setBandCount(count);
      reused.load(mem, records);
      const EqSetModel oneCall = EqSetModel::Loaded(mem, set, records);

      for (const EqSetModel* m : {static_cast<const EqSetModel*>(&reused), &oneCall}) {
        ASSERT_EQ(m->bandCount(), count);
        for (int b = 0; b < EqSetModel::kMaxBands; ++b) {
          SCOPED_TRACE(b);
          const dsp::EqBand& want = stepwise.band(b);
          const dsp::EqBand& got = m->band(b);
          EXPECT_EQ(got.type, want.type);
          EXPECT_EQ(got.gainDb, want.gainDb);
          EXPECT_EQ(got.freq, want.freq);
          EXPECT_EQ(got.q, want.q);
          EXPECT_TRUE(got.curve == want.curve);
        }
      }
    }
  }
}

// Gestures of the graph: a drag lands on whole hertz and moves the gain only of the types that
// have one; a Q drag stops at 2 for pass and shelf types.
TEST(EqSetModelTest, GesturesKeepTheBandRules) {
  struct Case {
    int type;
    double hz, gain, q;
    float wantHz, wantGain, wantQ;
  };
  const Case cases[] = {
      {1, 900.7, 4.0, 12.0, 900, 4.0f, 12.0f},
      {4, 19.0, 20.0, 12.0, 20, 15.0f, 2.0f},
      {2, 30000.0, 4.0, 0.01, 20000, 0.0f, 0.1f},
  };
  for (const Case& c : cases) {
    EqSetModel m;
    m.setBandType(2, c.type);
    m.dragBand(2, c.hz, c.gain);
    m.dragQ(2, c.q);
    EXPECT_EQ(m.band(2).freq, c.wantHz) << c.type;
    EXPECT_EQ(m.band(2).gainDb, c.wantGain) << c.type;
    EXPECT_NEAR(m.band(2).q, c.wantQ, 1e-6) << c.type;
  }
}

// A view learns of every change: each call that changes the model moves its revision and calls
// the listener.
TEST(EqSetModelTest, EveryChangeIsReported) {
  ParameterMemory mem;
  InitParameterMemory(mem);
  EqSetModel m;
  int calls = 0;
  m.setChangeListener([&] { ++calls; });
  uint64_t revision = m.revision();
  const auto changes = [&] {
    const bool moved = m.revision() > revision;
    revision = m.revision();
    return moved && calls > 0;
  };
  m.setBandGain(2, 3.0);
  EXPECT_TRUE(changes());
  m.dragBand(2, 900.7, 4.0);
  EXPECT_TRUE(changes());
  m.nudgeBand(2, 1.0f, 0, 0);
  EXPECT_TRUE(changes());
  m.load(mem, 10);
  EXPECT_TRUE(changes());
  EXPECT_EQ(m.band(2).freq, LoadEqSetRecord(mem, 0, 2).frequency);  // the load replaced the drag
}

}  // namespace
}  // namespace ax7
