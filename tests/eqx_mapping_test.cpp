// A file's filters onto an EQ set: section math, the honest report, limits, real files, and
// export then import of every set kind in every format.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "dsp/biquad.h"
#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"
#include "eqx/sections.h"

namespace ax7::eqx {
namespace {

std::string readData(const std::string& name) {
  std::ifstream in(std::string(AX7_TEST_DATA_DIR) + "/eqx/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<BandRecord> flatSet(int set) {
  std::vector<BandRecord> out;
  for (int b = 0; b < EqSetBandCount(set); ++b) out.push_back(flatBand(set, b));
  return out;
}

ImportResult import(const std::string& text, int set, std::vector<BandRecord> current = {}) {
  const ReadResult r = readEqFile(text, {});
  EXPECT_TRUE(r.ok) << r.error;
  return mapToSet(r.eq, set, current.empty() ? flatSet(set) : current);
}

TEST(EqxSections, DecodeThenDesignIsTheIdentityForTheBoxSections) {
  struct {
    int type;
    double gain, freq, q;
  } cases[] = {{1, 6, 1000, 1.41}, {1, -12.5, 35, 8},     {1, 0, 12000, 0.5}, {4, 6, 105, 0.7},
               {4, -9, 3000, 1.9}, {5, -2.1, 10000, 0.7}, {5, 12, 200, 0.3},  {2, 0, 80, 0.5},
               {2, 0, 15000, 1.3}, {3, 0, 25, 0.707},     {3, 0, 4000, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.gain << " " << c.freq << " " << c.q);
    const dsp::BiquadCoefficients box = dsp::designSection(c.type, c.gain, c.freq, c.q);
    const auto p = decodeSection(box, 48000);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->type, c.type);
    EXPECT_NEAR(p->frequency, c.freq, 1e-6 * c.freq);
    EXPECT_NEAR(p->gainDb, c.gain, 1e-6);
    EXPECT_NEAR(p->q, c.q, 1e-6);
  }
  // A notch or a first-order section is none of the box's band types.
  EXPECT_FALSE(decodeSection(dsp::designSection(10, 0, 1000, 1), 48000));
  const double w = 2 * dsp::kPi * 1000 / 48000, alpha = std::sin(w) / 4;
  const double a0 = 1 + alpha;
  EXPECT_FALSE(decodeSection(
      {1 / a0, -2 * std::cos(w) / a0, 1 / a0, -2 * std::cos(w) / a0, (1 - alpha) / a0}, 48000));
}

TEST(EqxSections, ShelvesFollowEqualizerApo) {
  // A bare shelf has slope 0.9 at its own frequency; a width makes LS/HS corner shelves, whose
  // centre moves by 10^(|gain| / 80 / S); LSC/HSC name the centre.
  auto params = [](const char* line) {
    const ReadResult r = readApoText(line, Format::Apo, "");
    return *boxParamsFor(r.eq.filters.at(0)).params;
  };
  const double s09q =
      1 / std::sqrt((std::pow(10, 6 / 40.0) + std::pow(10, -6 / 40.0)) * (1 / 0.9 - 1) + 2);
  SectionParams p = params("Filter: ON LS Fc 100 Hz Gain 6 dB");
  EXPECT_NEAR(p.frequency, 100, 1e-9);
  EXPECT_NEAR(p.q, s09q, 1e-12);
  p = params("Filter: ON LSC 12 dB Fc 100 Hz Gain 6 dB");
  EXPECT_NEAR(p.frequency, 100, 1e-9);
  EXPECT_NEAR(p.q, std::sqrt(0.5), 1e-12);  // S = 1
  p = params("Filter: ON LS 12 dB Fc 100 Hz Gain 6 dB");
  EXPECT_NEAR(p.frequency, 100 * std::pow(10, 6 / 80.0), 1e-9);
  p = params("Filter: ON HS 6dB Fc 8000 Hz Gain -6 dB");
  EXPECT_NEAR(p.frequency, 8000 / std::pow(10, 6 / 80.0 / 0.5), 1e-9);
  p = params("Filter: ON LS Fc 100 Hz Gain 6 dB Q 0.7071067811865476");
  EXPECT_NEAR(p.frequency, 100 * std::pow(10, 6 / 80.0), 1e-6);  // Q 0.7071 is S = 1
}

TEST(EqxMapping, LimitsAreReportedNeverSilent) {
  // 12 filters into a 10-band set, one at 20 dB, one at 10 Hz, one all-pass, one off.
  std::string text =
      "Preamp: -7.5 dB\n"
      "Filter 1: ON PK Fc 1000 Hz Gain 20 dB Q 1\n"
      "Filter 2: ON PK Fc 10 Hz Gain 3 dB Q 1\n"
      "Filter 3: ON AP Fc 500 Hz Q 1\n"
      "Filter 4: OFF PK Fc 500 Hz Gain 1 dB Q 1\n"
      "Filter 5: ON PK Fc 2000 Hz Gain 1 dB Q 50\n";
  for (int i = 6; i <= 15; ++i) {
    text += "Filter " + std::to_string(i) + ": ON PK Fc " + std::to_string(100 * i) +
            " Hz Gain -2 dB Q 2\n";
  }
  const ImportResult r = import(text, 0);
  const ImportReport& rep = r.report;
  ASSERT_EQ(rep.entries.size(), 15u);
  EXPECT_DOUBLE_EQ(*rep.preampDb, -7.5);
  const ReportEntry& g = rep.entries[0];
  EXPECT_EQ(g.status, Status::Approximated);
  EXPECT_FLOAT_EQ(g.gainDb, 15);
  EXPECT_NEAR(g.deviationDb, 5, 0.01);
  EXPECT_NE(g.reason.find("held as 15"), std::string::npos);
  const ReportEntry& f = rep.entries[1];
  EXPECT_EQ(f.status, Status::Approximated);
  EXPECT_FLOAT_EQ(f.frequency, 20);
  EXPECT_GT(f.deviationDb, 0.1);
  EXPECT_EQ(rep.entries[2].status, Status::Dropped);
  EXPECT_NE(rep.entries[2].reason.find("all-pass"), std::string::npos);
  EXPECT_EQ(rep.entries[3].status, Status::Skipped);
  EXPECT_FLOAT_EQ(rep.entries[4].q, 30);
  // Bands 1..10 take the first ten usable filters; the last two find no band.
  EXPECT_EQ(rep.count(Status::Exact) + rep.count(Status::Approximated), 10);
  EXPECT_EQ(rep.entries[13].status, Status::Dropped);
  EXPECT_NE(rep.entries[13].reason.find("no free band"), std::string::npos);
  EXPECT_EQ(rep.entries[14].status, Status::Dropped);
  EXPECT_EQ(rep.largestDeviationDb, std::max(g.deviationDb, f.deviationDb));
  const std::string text2 = reportText(rep);
  EXPECT_NE(text2.find("preamp -7.5 dB not applied"), std::string::npos);
  EXPECT_NE(text2.find("line 4: dropped"), std::string::npos);
}

TEST(EqxMapping, BandsTheFileLeavesBecomeFlatAndTheCrossoverStays) {
  std::vector<BandRecord> current = flatSet(9);
  for (BandRecord& b : current) b = asStored(1, 4, 1000, 2);  // every band boosted
  current[9] = asStored(12, 0, 2000, 0.707);
  current[10] = asStored(12, 0, 2000, 0.707);
  const ImportResult r = import("Filter 1: ON PK Fc 300 Hz Gain -3 dB Q 1\n", 9, current);
  EXPECT_EQ(r.bands[0].type, 1);
  EXPECT_FLOAT_EQ(r.bands[0].frequency, 300);
  for (int b = 1; b < 9; ++b) {
    EXPECT_FLOAT_EQ(r.bands[size_t(b)].gainDb, 0) << b;
    EXPECT_FLOAT_EQ(r.bands[size_t(b)].frequency, flatBand(9, b).frequency) << b;
  }
  for (int b = 9; b < 13; ++b) {
    EXPECT_EQ(r.bands[size_t(b)].type, current[size_t(b)].type) << b;
    EXPECT_FLOAT_EQ(r.bands[size_t(b)].frequency, current[size_t(b)].frequency) << b;
  }
}

// Real exports of other programs: band count, preamp, first and last band, report.
TEST(EqxMapping, RealFiles) {
  struct {
    const char* file;
    int set;
    int filters;
    std::optional<double> preamp;
    int exact, approximated, dropped, skipped;
    BandRecord first, last;  // first and last band filled
  } cases[] = {
      {"autoeq_hd650_ParametricEQ.txt",
       0,
       10,
       -6.1,
       10,
       0,
       0,
       0,
       {6.4f, 105, 0.7f, 4},
       {-1.1f, 5332, 5.75f, 1}},
      // 22.3 dB cut and a Q above 2 at the top: clamped and reported.
      {"autoeq_er4xr_ParametricEQ.txt",
       6,
       10,
       std::nullopt,
       9,
       1,
       0,
       0,
       {2.4f, 24, 0.35f, 1},
       {2.2f, 11958, 8.39f, 1}},
      // 20 filters into 10 bands, Q up to 42.8: the rest dropped, the sharp ones approximated.
      {"rew_v501_generic_decimal_comma.txt",
       1,
       20,
       std::nullopt,
       6,
       4,
       10,
       0,
       {10.4f, 92, 2.0f, 1},
       {-3.5f, 5123, 6.0f, 1}},
      {"rew_v5313_generic_trailing_block.txt",
       2,
       22,
       std::nullopt,
       4,
       3,
       13,
       2,
       {-5.2f, 43, 9.44f, 1},
       {12.0f, 626, 1.0f, 1}},
      // Peaking filters at 44100 Hz, a Gain filter as preamp, one channel of two.
      {"camilla_v1_iir_rew_test.yml", 7, 3, -6, 3, 0, 0, 0, {5, 100, 5, 1}, {3, 10000, 5, 1}},
      // Its Free section (at 44100 Hz) is a peaking filter; first-order and other kinds drop.
      {"camilla_all_biquads.yml",
       4,
       15,
       std::nullopt,
       6,
       0,
       9,
       0,
       {-12, 1000, 0.472f, 4},
       {1.0f, 459, 0.7f, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const ReadResult read = readEqFile(readData(c.file), {});
    ASSERT_TRUE(read.ok) << read.error;
    const ImportResult r = mapToSet(read.eq, c.set, flatSet(c.set));
    const ImportReport& rep = r.report;
    EXPECT_EQ(int(rep.entries.size()) - int(read.eq.otherChannels.size()), c.filters);
    EXPECT_EQ(rep.preampDb.has_value(), c.preamp.has_value());
    if (rep.preampDb && c.preamp) {
      EXPECT_NEAR(*rep.preampDb, *c.preamp, 1e-9);
    }
    EXPECT_EQ(rep.count(Status::Exact), c.exact) << reportText(rep);
    EXPECT_EQ(rep.count(Status::Approximated), c.approximated);
    EXPECT_EQ(rep.count(Status::Dropped), c.dropped);
    EXPECT_EQ(rep.count(Status::Skipped) - int(read.eq.otherChannels.size()), c.skipped);
    int lastFilled = -1;
    for (const ReportEntry& e : rep.entries) lastFilled = std::max(lastFilled, e.band);
    ASSERT_GE(lastFilled, 0);
    const BandRecord& a = r.bands[0];
    const BandRecord& z = r.bands[size_t(lastFilled)];
    EXPECT_EQ(a.type, c.first.type);
    EXPECT_NEAR(a.frequency, c.first.frequency, 0.5);
    EXPECT_NEAR(a.gainDb, c.first.gainDb, 0.05);
    EXPECT_NEAR(a.q, c.first.q, 0.0015);
    EXPECT_EQ(z.type, c.last.type);
    EXPECT_NEAR(z.frequency, c.last.frequency, 0.5);
    EXPECT_NEAR(z.gainDb, c.last.gainDb, 0.05);
    EXPECT_NEAR(z.q, c.last.q, 0.0015);
    // Every band reported exact is within the tolerance of the file's own section.
    for (const ReportEntry& e : rep.entries) {
      if (e.status == Status::Exact) {
        EXPECT_LE(e.deviationDb, kExactToleranceDb);
      }
      if (e.status == Status::Dropped || e.status == Status::Skipped) {
        EXPECT_FALSE(e.reason.empty());
      }
    }
  }
}

// A set that uses every band type, the limits and, on outputs, a crossover cascade.
std::vector<BandRecord> busySet(int set) {
  std::vector<BandRecord> bands = flatSet(set);
  const BandRecord kinds[] = {
      asStored(1, -12.5, 31, 8.25), asStored(4, 6, 105, 0.7),   asStored(5, -3.2, 9000, 1.9),
      asStored(2, 0, 18000, 0.5),   asStored(3, 0, 22, 0.707),  asStored(1, 15, 20000, 30),
      asStored(1, -15, 20, 0.1),    asStored(0, 0, 1000, 1.41), asStored(1, 0.1, 1234, 1.234)};
  for (int b = 0; b < editableBands(set); ++b) bands[size_t(b)] = kinds[size_t(b) % 9];
  if (isOutputSet(set)) {
    bands[9] = asStored(18, 0, 2500, 0.7);
    bands[10] = asStored(20, 0, 2500, 0.7);
    bands[11] = asStored(1, 0, 2500, 0.7);
    bands[12] = asStored(1, 0, 2500, 0.7);
  }
  return bands;
}

bool sameBand(const BandRecord& a, const BandRecord& b) {
  // An off band comes back as a flat one from the parametric formats: no magnitude either way.
  auto quiet = [](const BandRecord& r) { return r.type == 0 || (r.type == 1 && r.gainDb == 0); };
  if (a.type == 0 || b.type == 0) return quiet(a) && quiet(b);
  return a.type == b.type && a.frequency == b.frequency && std::fabs(a.gainDb - b.gainDb) < 0.05 &&
         std::fabs(a.q - b.q) < 0.0015;
}

TEST(EqxMapping, ExportThenImportGivesTheSameBandsForEverySetKindAndFormat) {
  for (int set : {0, 2, 6, 7, 14}) {
    const std::vector<BandRecord> bands = busySet(set);
    for (Format format :
         {Format::Apo, Format::Rew, Format::CamillaDsp, Format::Biquad, Format::Json}) {
      SCOPED_TRACE(testing::Message() << "set " << set << " " << formatName(format));
      const std::string text = writeEqFile(format, set, bands);
      const ReadResult read = readEqFile(text, {});
      ASSERT_TRUE(read.ok) << read.error << "\n" << text;
      EXPECT_EQ(read.eq.format, format);
      // Imported onto a flat set, except for the crossover band, which an import keeps.
      std::vector<BandRecord> target = flatSet(set);
      for (int b = editableBands(set); b < int(target.size()); ++b)
        target[size_t(b)] = bands[size_t(b)];
      const ImportResult r = mapToSet(read.eq, set, target);
      for (int b = 0; b < int(bands.size()); ++b) {
        EXPECT_TRUE(sameBand(r.bands[size_t(b)], bands[size_t(b)]))
            << "band " << b << ": " << r.bands[size_t(b)].type << " "
            << r.bands[size_t(b)].frequency << " " << r.bands[size_t(b)].gainDb << " "
            << r.bands[size_t(b)].q << "\n"
            << reportText(r.report);
      }
      EXPECT_EQ(r.report.count(Status::Dropped), 0) << reportText(r.report) << text;
      EXPECT_EQ(r.report.count(Status::Approximated), 0) << reportText(r.report);
      for (const std::string& line : {std::string(".000 Hz"), std::string(".500 Hz")}) {
        EXPECT_EQ(text.find(line), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace ax7::eqx
