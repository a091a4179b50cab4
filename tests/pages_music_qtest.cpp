// The microphone and music page and the effects page against the simulated box: what each
// control stores and sends, the group rules, the previews and the way between the two pages.
// Screenshots of both pages in both languages go to the build's screenshots folder.
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <bit>
#include <cmath>
#include <limits>

#include "core/core.h"
#include "graphs/eq_panel.h"
#include "graphs/peak_meter.h"
#include "graphs/small_eq_panel.h"
#include "pages/effects_page.h"
#include "pages/eq_editor.h"
#include "pages/eq_table.h"
#include "pages/music_page.h"
#include "pages/pictures.h"
#include "pages/value_row.h"
#include "pages_fixture.h"
#include "params/band_record.h"

using namespace ax7;
using namespace ax7::ui;
using ax7::test::frames;

namespace {

using ax7::test::save;
using ax7::test::tag;
using ax7::test::drain;
using ax7::test::moveTo;

std::string floatHex(float f) {
  const uint32_t w = std::bit_cast<uint32_t>(f);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", w >> 24, (w >> 16) & 0xFF, (w >> 8) & 0xFF,
                w & 0xFF);
  return buf;
}

std::string write(int block, int index, const std::string& value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "02 09 00 %02X %02X 01 ", block, index);
  return frames({buf + value})[0];
}

QRadioButton* radio(QWidget& page, int id) {
  for (auto* r : page.findChildren<QRadioButton*>()) {
    if (r->property("ax7Id").toInt() == id) return r;
  }
  return nullptr;
}

BandRecord UnpackBandRecordAt(const ParameterMemory& mem, int record) {
  uint8_t bytes[kBandRecordSize];
  mem.boxImage.copyOut(size_t(record * kBandRecordSize), bytes, kBandRecordSize);
  return UnpackBandRecord(bytes);
}

void setLiveStatus(test::PageFixture& c, std::initializer_list<uint8_t> bytes) {
  size_t i = 0;
  for (uint8_t b : bytes) c.mem().dev.g_liveStatus.set(i++, b);
}

}  // namespace

class MusicPageTest : public QObject {
  Q_OBJECT

 private slots:
  void routingLeavesEachMicrophoneInOneGroup();
  void gateAndVolumeStoreAndSend();
  void effectRowsSendTheirWordAndShowTheirText();
  void levelRaisedWhileMutedWarns();
  void damagedWordsPlaceSlidersSafely();
  void effectRowSurvivesGroupChangesAndKeysStepIt();
  void musicGroupDisablesEffectsAndFlattensPreviews();
  void previewsFollowTheStoredBands();
  void statusShowsMetersAndFormat();
  void eqControlsActOnTheGroupsSet();
  void previewClickOpensEffectsAndBackReturns();
  void effectsPageEditsItsModesSet();
  void copyFromEchoPastesSevenBands();
  void bandEditorCaptionsAndIdsOnBothPages();
  void screenshots();
};

void MusicPageTest::routingLeavesEachMicrophoneInOneGroup() {
  test::PageFixture c;
  MusicPage page(c, 0);
  for (int mic = 0; mic < 4; ++mic) {
    for (int ch : {1, 0}) {  // every microphone starts on CH A: B first, then back
      QRadioButton* r = radio(page, 1190 + 2 * mic + ch);
      QVERIFY(r);
      r->click();
      const std::string one = floatHex(1.0f), zero = floatHex(0.0f);
      QCOMPARE(drain(c), (std::vector<std::string>{write(1, 27 + mic, ch == 0 ? one : zero),
                                                   write(1, 46 + mic, ch == 0 ? zero : one)}));
      QCOMPARE(c.mem().pc.getInt(size_t(1 + mic)), ch == 0 ? 100 : 0);
      QCOMPARE(c.mem().pc.getInt(size_t(9 + mic)), ch == 0 ? 0 : 100);
      QVERIFY(r->isChecked());
      QVERIFY(!radio(page, 1190 + 2 * mic + (1 - ch))->isChecked());
    }
  }
  // The exact bytes of microphone 0 to CH B.
  radio(page, 1191)->click();
  QCOMPARE(drain(c), frames({"02 09 00 01 1B 01 00 00 00 00", "02 09 00 01 2E 01 3F 80 00 00"}));

  // A refresh shows CH B for a microphone whose A word is 0, CH A otherwise.
  c.mem().pc.setInt(3, 0);
  c.mem().pc.setInt(4, 7);
  page.RefreshAll();
  QVERIFY(radio(page, 1195)->isChecked());
  QVERIFY(radio(page, 1196)->isChecked());
  QVERIFY(drain(c).empty());
}

void MusicPageTest::gateAndVolumeStoreAndSend() {
  test::PageFixture c;
  MusicPage page(c, 0);
  moveTo(page.gateRow(2)->slider(), 50);
  moveTo(page.volumeRow(3)->slider(), 35);
  QCOMPARE(drain(c), (std::vector<std::string>{write(1, 10, floatHex(50 / 10000.0f)),
                                               write(1, 7, floatHex(0.35f))}));
  QCOMPARE(c.mem().pc.getInt(25), 50);
  QCOMPARE(c.mem().pc.getInt(22), 35);
  QCOMPARE(page.gateRow(2)->valueLabel()->text(), QString("50"));
  QCOMPARE(page.volumeRow(3)->valueLabel()->property("ax7Id").toInt(), 1166);
}

void MusicPageTest::effectRowsSendTheirWordAndShowTheirText() {
  struct Case {
    int group, row, value;
    int word;
    std::vector<std::string> sent;
    const char* en;
    const char* zh;
  };
  const std::string one = floatHex(1.0f), zero = floatHex(0.0f);
  const Case cases[] = {
      {0, 0, 35, 44, {write(3, 8, "3E B3 33 33")}, "35%", "35%"},
      {1, 0, 35, 48, {write(3, 20, "3E B3 33 33")}, "35%", "35%"},
      {0, 1, 100, 45, {write(3, 9, "00 00 12 C0")}, "100ms", "100ms"},  // 4800 samples
      {0, 2, 100, 46, {write(3, 10, one), write(3, 11, one)}, "5000ms", "5000ms"},
      {0, 2, 0, 46, {write(3, 10, zero), write(3, 11, zero)}, "40ms", "40ms"},
      {1, 2, 0, 50, {write(3, 22, zero), write(3, 23, zero)}, "40ms", "40ms"},
      {1, 3, 50, 36, {write(2, 21, floatHex(0.5f))}, "50%", "50%"},
      {0, 4, 2, 31, {write(2, 9, "00 00 00 60")}, "2ms", "2ms"},
      {0, 5, 180, 32, {write(2, 10, "00 00 21 C0")}, "180ms", "180ms"},  // 8640 samples
      {1, 5, 260, 38, {write(2, 23, "00 00 30 C0")}, "260ms", "260ms"},
      {0, 6, 40, 33, {write(2, 11, floatHex(0.4f))}, "40%", "40%"},
      {1, 7, 90, 40, {write(2, 25, floatHex(0.9f))}, "90%", "90%"},
      {0, 8, 1, 7, {write(1, 33, "00 00 00 01")}, "Off", "关闭"},
  };
  for (const Case& k : cases) {
    for (Language language : {Language::English, Language::Chinese}) {
      test::PageFixture c(language);
      MusicPage page(c, k.group);
      page.selectEffectRow(k.row);
      StepSlider* s = page.effectSlider()->slider();
      QCOMPARE(s->property("ax7Id").toInt(), 1000);
      // Start one step away so the move is a change.
      page.effectSlider()->setPosition(k.value == s->minimum() ? k.value + 1 : k.value - 1);
      moveTo(s, k.value);
      QCOMPARE(drain(c), k.sent);
      const ParamDesc* d = nullptr;
      for (int p = 0; p < kParamCount; ++p) {
        if (Describe(Param(p)).word == k.word) d = &Describe(Param(p));
      }
      QVERIFY(d);
      const bool isFloat = d->encoding == Encoding::Predelay || d->encoding == Encoding::EchoTime ||
                           d->encoding == Encoding::ReverbTime;
      QCOMPARE(isFloat ? double(c.mem().pc.getFloat(size_t(k.word))) : c.mem().pc.getInt(size_t(k.word)),
               double(k.value));
      const QString text = QString::fromUtf8(language == Language::English ? k.en : k.zh);
      QCOMPARE(page.effectSlider()->valueLabel()->text(), text);
      QCOMPARE(page.effectList()->item(k.row, 2)->text(), text);
    }
  }

  // Shift at 4: the off flag, the angular frequency and the period (three reports).
  test::PageFixture c;
  MusicPage page(c, 0);
  page.selectEffectRow(8);
  moveTo(page.effectSlider()->slider(), 4);
  const auto sent = drain(c);
  QCOMPARE(sent.size(), size_t(3));
  QCOMPARE(sent[0], write(1, 33, "00 00 00 00"));
  QCOMPARE(sent[1], write(1, 31, floatHex(float(2 * M_PI * 4 / 48000))));
  QVERIFY(sent[2].rfind("02 09 00 01 20 01", 0) == 0);
  QCOMPARE(page.effectSlider()->valueLabel()->text(), QString("4Hz"));
  QCOMPARE(EffectValueText(8, 5, Language::English), QString("5Hz"));
  QCOMPARE(EffectValueText(8, 0, Language::Chinese), QString("关闭"));
}

void MusicPageTest::levelRaisedWhileMutedWarns() {
  struct Case {
    int row;
    int muteWord;
    const char* zh;
    const char* en;
  };
  const Case cases[] = {{3, 42, "回声已静音", "Echo vol is mute"},
                        {0, 52, "混响已静音", "Reverb vol is mute"}};
  for (const Case& k : cases) {
    for (Language language : {Language::Chinese, Language::English}) {
      test::PageFixture c(language);
      c.mem().pc.setInt(size_t(k.muteWord), 1);
      c.mem().pc.setInt(k.row == 3 ? 30 : 44, 0);
      MusicPage page(c, 0);
      page.selectEffectRow(k.row);
      QCOMPARE(page.effectSlider()->position(), 0);
      moveTo(page.effectSlider()->slider(), 1);
      QCOMPARE(drain(c).size(), size_t(1));  // sent all the same
      QCOMPARE(c.infos, (std::vector<QString>{QString::fromUtf8(language == Language::English ? k.en : k.zh)}));
      QCOMPARE(c.infoMs, std::vector<int>{1100});
      // Back to 0 warns no more; unmuted, no warning either.
      moveTo(page.effectSlider()->slider(), 0);
      c.mem().pc.setInt(size_t(k.muteWord), 0);
      moveTo(page.effectSlider()->slider(), 5);
      QCOMPARE(c.infos.size(), size_t(1));
    }
  }
}

void MusicPageTest::damagedWordsPlaceSlidersSafely() {
  struct Case {
    int row;
    int word;
    float value;
    int position;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {1, 45, nan, 2},    {2, 46, inf, 0},      {2, 46, -inf, 0},  {5, 32, nan, 180},
      {5, 32, 1e30f, 260}, {4, 31, 99.9f, 99},  {5, 32, -5.0f, 180},
  };
  for (const Case& k : cases) {
    test::PageFixture c;
    c.mem().pc.setFloat(size_t(k.word), k.value);
    MusicPage page(c, 0);
    page.selectEffectRow(k.row);
    QCOMPARE(page.effectSlider()->position(), k.position);
    QCOMPARE(page.effectList()->item(k.row, 2)->text(), EffectValueText(k.row, k.position, Language::Chinese));
    QVERIFY(drain(c).empty());
    // The next step sends a finite value.
    moveTo(page.effectSlider()->slider(), k.position == page.effectSlider()->slider()->maximum()
                                              ? k.position - 1 : k.position + 1);
    QVERIFY(std::isfinite(c.mem().pc.getFloat(size_t(k.word))));
  }
  // Integer words out of range are clamped into the sliders.
  test::PageFixture c;
  c.mem().pc.setInt(23, 1000);
  c.mem().pc.setInt(19, -5);
  c.mem().pc.setInt(7, 0);
  MusicPage page(c, 0);
  QCOMPARE(page.gateRow(0)->position(), 100);
  QCOMPARE(page.volumeRow(0)->position(), 0);
  page.selectEffectRow(8);
  QCOMPARE(page.effectSlider()->position(), 1);
  QCOMPARE(page.effectList()->item(8, 2)->text(), QString("关闭"));
}

void MusicPageTest::effectRowSurvivesGroupChangesAndKeysStepIt() {
  test::PageFixture c(Language::English);
  c.mem().pc.setInt(36, 40);  // echo level B
  MusicPage page(c, 0);
  page.show();
  QTableWidget* list = page.effectList();
  // A click on a row selects it.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(3, 1)).center());
  QCOMPARE(page.selectedEffectRow(), 3);
  QCOMPARE(page.effectName()->text(), QString("Echo Level"));
  page.SelectArgument(1);
  QCOMPARE(page.selectedEffectRow(), 3);
  QCOMPARE(page.effectSlider()->position(), 40);
  QCOMPARE(list->item(3, 0)->foreground().color(), QColor(0, 255, 0));

  // Arrow keys in the list step the slider and send; the row stays.
  struct Key {
    Qt::Key key;
    int position;
  };
  for (const Key& k : {Key{Qt::Key_Up, 41}, Key{Qt::Key_Right, 42}, Key{Qt::Key_Down, 41},
                       Key{Qt::Key_Left, 40}}) {
    QTest::keyClick(list, k.key);
    QCOMPARE(page.effectSlider()->position(), k.position);
    QCOMPARE(c.mem().pc.getInt(36), k.position);
    QCOMPARE(page.selectedEffectRow(), 3);
  }
  // A wheel notch over the list steps it too.
  QWheelEvent up(QPointF(5, 5), list->viewport()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120),
                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list->viewport(), &up);
  QCOMPARE(c.mem().pc.getInt(36), 41);
  // A wheel over an unfocused gate slider goes to the focused volume slider.
  QApplication::setActiveWindow(&page);
  page.volumeRow(1)->slider()->setFocus();
  QCOMPARE(QApplication::focusWidget(), page.volumeRow(1)->slider());
  const int volume = page.volumeRow(1)->position();
  QApplication::sendEvent(page.gateRow(0)->slider(), &up);
  QCOMPARE(page.gateRow(0)->position(), c.mem().pc.getInt(23));
  QCOMPARE(page.volumeRow(1)->position(), volume + 1);
  QCOMPARE(c.mem().pc.getInt(20), volume + 1);
}

void MusicPageTest::musicGroupDisablesEffectsAndFlattensPreviews() {
  test::PageFixture c;
  // Something to flatten: a stored reverb A band with gain.
  c.core().uiEq.SendReverbAEqBand(0, 1, 9.0f, 1000, 2.0f);
  MusicPage page(c, 0);
  QSignalSpy spy(&page, &Page::showPageRequested);
  QVERIFY(page.reverbPreview()->band(0).gain > 8.9f);
  page.selectEffectRow(5);
  page.SelectArgument(2);
  QVERIFY(!page.effectList()->isEnabled());
  QVERIFY(!page.effectSlider()->isEnabled());
  QVERIFY(!page.reverbPreview()->isEnabled());
  QVERIFY(!page.echoPreview()->isEnabled());
  QCOMPARE(page.eqEditor()->config().eqSet, 6);
  for (CSmallEqPanel* p : {page.reverbPreview(), page.echoPreview()}) {
    QVERIFY(!p->isBypassed());
    QCOMPARE(p->curveColor(), QColor(100, 100, 100));
    for (int b = 0; b < CSmallEqPanel::kBands; ++b) {
      QCOMPARE(p->band(b).type, 1);
      QCOMPARE(p->band(b).gain, 0.0f);
      QCOMPARE(p->band(b).freq, 100.0f);
    }
  }
  emit page.reverbPreview()->clicked();
  QCOMPARE(spy.count(), 0);
  QCOMPARE(page.selectedEffectRow(), 5);  // kept for when a microphone group comes back
  page.SelectArgument(0);
  QVERIFY(page.effectList()->isEnabled());
  QCOMPARE(page.selectedEffectRow(), 5);
}

void MusicPageTest::previewsFollowTheStoredBands() {
  test::PageFixture c;
  auto put = [&](int set, int band, int type, float gain, float freq, float q) {
    const PackedBand rec = PackBandRecord(type, gain, freq, q);
    c.mem().boxImage.copyIn(size_t(EqSetOffset(set) + band * kBandRecordSize), rec.data(), rec.size());
  };
  struct Case {
    int set, band, type;
    float gain, freq, q;
    int shownType;
    float shownQ;
  };
  const Case cases[] = {
      // The previews show a set as its EQ editor does, Q limits included.
      {2, 0, 1, 6.0f, 500, 0.5f, 1, 0.5f},    // a PEQ Q below 1 stays
      {2, 1, 2, 6.0f, 800, 0.0f, 2, 0.7f},    // LP with no Q keeps 0.7
      {2, 2, 4, -3.0f, 200, 50.0f, 4, 2.0f},  // a shelf's Q lowered to 2
      {4, 3, 9, 3.0f, 300, 1.0f, 0, 1.0f},    // a type without a name is OFF
      {4, 4, 5, 2.0f, 4000, 0.05f, 5, 0.1f},  // raised to 0.1
  };
  for (const Case& k : cases) put(k.set, k.band, k.type, k.gain, k.freq, k.q);
  c.mem().pc.setInt(29, 1);  // echo A bypassed
  MusicPage page(c, 0);
  for (const Case& k : cases) {
    const CSmallEqPanel* p = k.set == 2 ? page.reverbPreview() : page.echoPreview();
    QCOMPARE(p->band(k.band).type, k.shownType);
    QCOMPARE(p->band(k.band).freq, k.freq);
    QVERIFY(std::abs(p->band(k.band).q - k.shownQ) < 1e-3f);
  }
  QVERIFY(page.echoPreview()->isBypassed());
  QVERIFY(!page.reverbPreview()->isBypassed());
  QCOMPARE(page.echoPreview()->curveColor(), QColor(0, 200, 255));
  page.SelectArgument(1);
  QCOMPARE(page.echoPreview()->curveColor(), QColor(0, 220, 0));
  QVERIFY(!page.echoPreview()->isBypassed());
}

void MusicPageTest::statusShowsMetersAndFormat() {
  test::PageFixture c;
  MusicPage page(c, 0);
  struct Case {
    uint8_t flags;
    const char* text;
  };
  for (const Case& k : {Case{0x01, "DOLBY"}, Case{0x02, "DTS"}, Case{0x04, "Multi-CH LPCM"},
                        Case{0x00, "Stereo"}, Case{0x03, "DOLBY"}, Case{0x06, "DTS"}}) {
    c.mem().dev.g_liveStatus.set(7, k.flags);
    page.updateStatus();
    QCOMPARE(page.formatText()->text(), QString(k.text));
    QCOMPARE(page.formatText()->property("ax7Id").toInt(), 1222);
  }
  setLiveStatus(c, {10, 20, 30, 40, 50, 60});
  page.updateStatus();
  for (int i = 0; i < 4; ++i) QCOMPARE(page.micMeter(i)->bands()[0].value, 10 * (i + 1));
  QCOMPARE(page.musicMeter(0)->bands()[0].value, 50);
  QCOMPARE(page.musicMeter(1)->bands()[0].value, 60);
}

void MusicPageTest::eqControlsActOnTheGroupsSet() {
  struct Case {
    int group;
    int bypassWord;
    std::string bypassOn;
    int firstRecord;
    int eqSet;
  };
  const Case cases[] = {{0, 5, write(1, 26, "00 00 00 01"), 0, 0},
                        {1, 13, write(1, 45, "00 00 00 01"), 10, 1},
                        {2, 61, write(4, 10, "00 00 00 01"), 48, 6}};
  for (const Case& k : cases) {
    test::PageFixture c;
    MusicPage page(c, k.group);
    QCOMPARE(page.eqEditor()->config().eqSet, k.eqSet);
    QVERIFY(!page.IsEqBypassed());
    page.ToggleEqBypass();
    QCOMPARE(drain(c), std::vector<std::string>{k.bypassOn});
    QVERIFY(page.IsEqBypassed());
    QCOMPARE(c.mem().pc.getInt(size_t(k.bypassWord)), 1);
    QVERIFY(page.eqEditor()->panel()->bypass());

    // A band edit goes out through the queued band send of the group's set.
    emit page.eqEditor()->panel()->EqBandNotify(page.eqEditor()->model().band(2), 2);
    const auto sent = drain(c);
    QVERIFY(!sent.empty());
    QVERIFY(sent[0].rfind("02 85", 0) == 0);  // the record to the box image first

    // The reset: ten PEQ bands at 31 .. 16000 Hz, the table shown.
    page.eqEditor()->SelectBand(1);
    page.ResetEq();
    QVERIFY(page.eqEditor()->isTableShown());
    const int freqs[] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    for (int b = 0; b < 10; ++b) {
      const BandRecord r = UnpackBandRecordAt(c.mem(), k.firstRecord + b);
      QCOMPARE(int(r.frequency), freqs[b]);
      QCOMPARE(r.type, 1);
      QCOMPARE(r.gainDb, 0.0f);
    }
  }
}

void MusicPageTest::previewClickOpensEffectsAndBackReturns() {
  struct Case {
    int group;
    bool reverb;
    int mode;
  };
  for (const Case& k : {Case{0, true, 0}, Case{1, true, 1}, Case{0, false, 2}, Case{1, false, 3}}) {
    test::PageFixture c;
    MusicPage page(c, k.group);
    page.resize(1024, 520);
    page.show();
    QSignalSpy spy(&page, &Page::showPageRequested);
    CSmallEqPanel* preview = k.reverb ? page.reverbPreview() : page.echoPreview();
    QCOMPARE(preview->property("ax7Id").toInt(), k.reverb ? 1144 : 1143);
    QTest::mouseClick(preview, Qt::LeftButton, {}, preview->rect().center());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].value<PageKind>(), PageKind::Effects);
    QCOMPARE(spy[0][1].toInt(), k.mode);

    EffectsPage effects(c, k.mode);
    QCOMPARE(effects.eqEditor()->config().eqSet, 2 + k.mode);
    QSignalSpy back(&effects, &Page::showPageRequested);
    effects.backButton()->click();
    QCOMPARE(back.count(), 1);
    QCOMPARE(back[0][0].value<PageKind>(), PageKind::Music);
    QCOMPARE(back[0][1].toInt(), k.group);
  }
}

void MusicPageTest::effectsPageEditsItsModesSet() {
  test::PageFixture c;
  EffectsPage page(c, 3);
  page.resize(1024, 520);
  page.show();
  QCOMPARE(page.backButton()->geometry().right(), page.width() - 1 - 2);
  page.resize(1200, 600);
  QCOMPARE(page.backButton()->geometry().right(), page.width() - 1 - 2);
  QCOMPARE(page.titlePicture()->property("ax7Id").toInt(), 1258);

  // Mode 3 edits records 27..33 and sends its bands to block 2, indexes 13..19.
  CEqPanel* panel = page.eqEditor()->panel();
  QCOMPARE(page.eqEditor()->model().bandCount(), 7);
  emit panel->EqBandNotify(page.eqEditor()->model().band(6), 6);
  const auto sent = drain(c);
  QVERIFY(sent.size() >= 2);
  QVERIFY(sent[0].rfind("02 85", 0) == 0);
  bool coefficients = false;
  for (const auto& s : sent) coefficients |= s.rfind("02 09 00 02 13", 0) == 0;  // index 19
  QVERIFY(coefficients);

  // Bypass of echo B: byte word to (2, 20).
  page.ToggleEqBypass();
  QCOMPARE(drain(c), std::vector<std::string>{write(2, 20, "00 00 00 01")});
  QCOMPARE(c.mem().pc.getInt(35), 1);

  // Mode 1's reset: seven PEQ bands at 63 .. 5000 Hz in records 41..47.
  page.SelectArgument(1);
  QCOMPARE(page.eqEditor()->config().eqSet, 3);
  page.eqEditor()->SelectBand(2);
  page.ResetEq();
  QVERIFY(page.eqEditor()->isTableShown());
  const int freqs[] = {63, 125, 250, 500, 1000, 2300, 5000};
  for (int b = 0; b < 7; ++b) {
    const BandRecord r = UnpackBandRecordAt(c.mem(), 41 + b);
    QCOMPARE(int(r.frequency), freqs[b]);
    QCOMPARE(r.type, 1);
    QCOMPARE(r.gainDb, 0.0f);
    QVERIFY(std::abs(r.q - 1.41f) < 1e-3f);
  }
}

void MusicPageTest::copyFromEchoPastesSevenBands() {
  test::PageFixture c;
  c.core().uiEq.SendEchoAEqBand(0, 4, 5.0f, 700, 0.9f);
  c.core().uiEq.SendMicAEqBand(8, 5, -4.0f, 9000, 0.7f);
  const BandRecord kept = UnpackBandRecordAt(c.mem(), 8);
  {
    EffectsPage echo(c, 2);
    emit echo.eqEditor()->panel()->EqCopyPaste(0, 4);
  }
  QCOMPARE(c.eqCopy.set, 4);
  MusicPage page(c, 0);
  emit page.eqEditor()->panel()->EqCopyPaste(1, 0);
  const BandRecord first = UnpackBandRecordAt(c.mem(), 0);
  QCOMPARE(first.type, 4);
  QCOMPARE(int(first.frequency), 700);
  const BandRecord eighth = UnpackBandRecordAt(c.mem(), 8);
  QCOMPARE(eighth.frequency, kept.frequency);
  QCOMPARE(eighth.type, kept.type);
}

void MusicPageTest::bandEditorCaptionsAndIdsOnBothPages() {
  const QStringList zh = {"参量", "低通", "高通", "低架", "高架"};
  const QStringList en = {"PEQ", "LP", "HP", "LS", "HS"};
  test::PageFixture c(Language::Chinese);
  MusicPage music(c, 0);
  EffectsPage effects(c, 0);
  for (Page* page : {static_cast<Page*>(&music), static_cast<Page*>(&effects)}) {
    page->resize(1024, 520);
    page->show();
    EqEditor* eq = page->findChild<EqEditor*>();
    QVERIFY(eq);
    eq->SelectBand(2);
    // The edit boxes answer to the output page's ids, so scripts reach them on every page.
    for (int id : {1212, 1213, 1214}) {
      bool found = false;
      for (QWidget* w : page->findChildren<QWidget*>()) found |= w->property("ax7Id").toInt() == id;
      QVERIFY2(found, qPrintable(QString::number(id)));
    }
    for (Language language : {Language::Chinese, Language::English, Language::Chinese}) {
      c.setLanguage(language);
      page->ApplyLanguage();
      for (int i = 0; i < 5; ++i) {
        QRadioButton* r = radio(*page, 1204 + i);
        QVERIFY(r);
        QCOMPARE(r->text(), (language == Language::Chinese ? zh : en)[i]);
      }
    }
    eq->SelectBand(2);
    save(*page, QString(page == &music ? "music" : "effects") + "_page_band_editor_zh");
  }
}

void MusicPageTest::screenshots() {
  for (Language language : {Language::Chinese, Language::English}) {
    test::PageFixture c(language);
    c.core().uiEq.SendMicAEqBand(2, 1, 6.0f, 250, 2.0f);
    c.core().uiEq.SendMicAEqBand(7, 1, -5.0f, 4000, 1.5f);
    c.core().uiEq.SendReverbAEqBand(1, 1, 8.0f, 250, 1.4f);
    c.core().uiEq.SendEchoAEqBand(4, 1, -7.0f, 1000, 1.4f);
    MusicPage page(c, 0);
    page.resize(1024, 520);
    page.show();
    setLiveStatus(c, {180, 120, 60, 210, 150, 170, 0, 0x01});
    page.updateStatus();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    save(page, "music_page_mic_a_" + tag(language));
    const bool zh = language == Language::Chinese;
    AX7_VERIFY_SHOWN(page, "Mic CH A", "Music", "DOLBY", "Reverb EQ", "Echo EQ",
                     zh ? "有线话筒(2)" : "Wire Mic(2)", zh ? "无线话筒(4)" : "Wireless Mic(4)",
                     zh ? "导入..." : "Import...", zh ? "混响电平" : "Reverb Level");
    page.SelectArgument(2);
    save(page, "music_page_music_" + tag(language));
    QCOMPARE(page.group(), 2);
    QVERIFY(!page.reverbPreview()->isEnabled());

    EffectsPage effects(c, 1);
    effects.resize(1024, 520);
    effects.show();
    save(effects, "effects_page_" + tag(language));
    AX7_VERIFY_SHOWN(effects, zh ? "返回" : "Back", zh ? "导出..." : "Export...");
  }
}

QTEST_MAIN(MusicPageTest)
#include "pages_music_qtest.moc"
