#pragma once
// EQ bands live twice: as a 7-byte record in the box image and as biquad coefficients in the
// box's signal path. Every operation here stores the record, sends it, and sends the section.
#include "device/commands.h"

namespace ax7 {

constexpr int kSplitEntries = 26;  // (500 + 100 i Hz high-pass, 1000 + 100 i Hz low-pass)

class EqSenders {
 public:
  explicit EqSenders(Commands& cmd);

  // Stores the record in the box image and writes it to the same box address.
  void StoreBandRecord(int group, int band, float gainDb, float frequency, float q, int type);

  void SendMicAEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendMicBEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendEchoAEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendEchoBEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendReverbAEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendReverbBEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendMusicEqBand(int band, int type, float gainDb, int frequency, float q);
  void SendOutputEqBand(int channel, int band, int type, float gainDb, int frequency, float q);
  // Band `band` of EQ set 0..14 as that set's sender sends it (nothing for a band it lacks).
  void SendEqBand(int set, int band, int type, float gainDb, int frequency, float q);

  // Re-sends every band of EQ set 0..14 from the box image, leaving the stored bytes as they are.
  void ResendEqSet(int set);

  // Every band of EQ set 0..14 to PEQ, 0 dB, Q 1.41 at the set's reset frequencies.
  void ResetEqSet(int set);
  void ResetMicAEq();
  void ResetMicBEq();
  void ResetMusicEq();
  void ResetReverbAEq();
  void ResetReverbBEq();
  void ResetEchoAEq();
  void ResetEchoBEq();
  void ResetOutputEq(int channel);

  bool CopyEqSet(int source, int target);

  void SetHighFreqSplit(int channel, int entry);
  int FindHighFreqSplit(int channel) const;
  void SetHighFreqDelay(int channel, int mode);

  // Box image group and DSP address of band `band` of EQ set `set`.
  struct BandAddress {
    int group, band, block, index;
  };
  static BandAddress AddressOf(int set, int band);

 private:
  Commands& cmd_;
};

}  // namespace ax7
