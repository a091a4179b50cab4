// The shared EQ editor: what it loads from the box image, what it asks its host to send for each
// gesture on the graph, the table, the radios, the sliders and edits, and copy/paste between two
// editors sharing one copy source.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <vector>

#include "core/core.h"
#include "device/clock.h"
#include "graphs/eq_panel.h"
#include "pages/band_editor.h"
#include "pages/eq_editor.h"
#include "pages_fixture.h"
#include "pages/eq_table.h"
#include "params/band_record.h"
#include "params/defaults.h"
#include "sim/sim_backend.h"

using ax7::ParameterMemory;
using ax7::ui::BandEditor;
using ax7::ui::CEqPanel;
using ax7::ui::EqCopySource;
using ax7::ui::EqEditor;
using ax7::ui::EqEditorConfig;
using ax7::ui::EqTable;
using ax7::ui::Language;

namespace {

struct Sent {
  int record;
  int type;
  float gain;
  int freq;
  float q;
  bool operator==(const Sent&) const = default;
};

enum class Host { kMicA, kEchoA, kOutput1 };

EqEditorConfig configFor(Host host) {
  EqEditorConfig c;
  switch (host) {
    case Host::kMicA:
      c.eqSet = 0;
      c.bypassWord = 5;
      break;
    case Host::kEchoA:
      c.eqSet = 4;
      c.records = c.bandCount = c.tableRows = 7;
      c.bypassWord = 29;
      break;
    case Host::kOutput1:
      c.eqSet = 7;
      c.records = c.bandCount = 13;
      c.tableRows = 10;
      c.typeOperation = EqEditorConfig::TypeOperation::kChooseBandType;
      c.bypassWord = 105;
      break;
  }
  return c;
}

void putRecord(ParameterMemory& mem, int set, int band, int type, float gain, float hz, float q) {
  const ax7::PackedBand packed = ax7::PackBandRecord(type, gain, hz, q);
  mem.boxImage.copyIn(size_t(ax7::EqSetOffset(set) + band * ax7::kBandRecordSize), packed.data(),
                      packed.size());
}

ax7::BandRecord getRecord(const ParameterMemory& mem, int set, int band) {
  ax7::PackedBand packed;
  mem.boxImage.copyOut(size_t(ax7::EqSetOffset(set) + band * ax7::kBandRecordSize), packed.data(),
                       packed.size());
  return ax7::UnpackBandRecord(packed.data());
}

// One editor on its own memory (or a shared one), shown, with a recording band send and a
// scripted graph menu.
struct Harness {
  ParameterMemory ownMemory;
  ParameterMemory& mem;
  EqCopySource ownCopy;
  std::vector<Sent> sent;
  QString menuChoice;
  std::unique_ptr<EqEditor> editor;

  explicit Harness(Host host, ParameterMemory* shared = nullptr, EqCopySource* copy = nullptr,
                   EqEditorConfig::CopySet copySet = {})
      : mem(shared ? *shared : ownMemory) {
    if (!shared) ax7::InitParameterMemory(mem);
    editor = std::make_unique<EqEditor>(mem, copy ? *copy : ownCopy);
    EqEditorConfig c = configFor(host);
    c.sendBand = [this](int r, int t, float g, int f, float q) { sent.push_back({r, t, g, f, q}); };
    c.copyEqSet = std::move(copySet);
    editor->configure(std::move(c));
    editor->setLanguage(Language::English);
    editor->resize(1000, 360);
    panel()->setMenuRunner([this](QMenu& menu, const QPoint&) -> QAction* {
      for (QAction* a : menu.actions()) {
        if (a->text() == menuChoice) return a;
      }
      return nullptr;
    });
    editor->show();
    editor->LoadEq();
  }

  CEqPanel* panel() const { return editor->panel(); }
  EqTable* table() const { return editor->table(); }
  BandEditor* bandEditor() const { return editor->bandEditor(); }
  const ax7::dsp::EqBand& band(int i) const { return editor->model().band(i); }
  QPoint marker(int i) const { return panel()->markerCentre(i).toPoint(); }
  QString cell(int row, int column) const { return table()->text(row, column); }

  void clickBand(int i) {
    QTest::mouseClick(panel(), Qt::LeftButton, {}, marker(i));
    QCOMPARE(editor->selectedBand(), i);
  }
  void graphMenu(const QString& choice) {
    menuChoice = choice;
    QTest::mouseClick(panel(), Qt::RightButton, {}, QPoint(panel()->width() / 2, 30));
  }
  // Types in the cell's in-place editor and ends the edit with Enter.
  void editCell(int row, int column, const QString& text) {
    table()->setCurrentCell(row, column);
    table()->editItem(table()->item(row, column));
    auto* edit = table()->viewport()->findChild<QLineEdit*>();
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();  // the view commits an edit by a queued call
  }
  void chooseTableType(int row, const QString& name) {
    table()->setCurrentCell(row, EqTable::kTypeColumn);
    table()->editItem(table()->item(row, EqTable::kTypeColumn));
    auto* list = table()->viewport()->findChild<QComboBox*>();
    QVERIFY(list);
    list->setCurrentIndex(list->findText(name));
    QTest::keyClick(list, Qt::Key_Return);
    QCoreApplication::processEvents();
  }
  void typeInEdit(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  std::vector<int> types(int first, int last) const {
    std::vector<int> t;
    for (int i = first; i <= last; ++i) t.push_back(band(i).type);
    return t;
  }
};

// The offscreen platform warns each time a window's size limits change (the left column switches
// between table and editor); that says nothing about the editor.
QString screenshotPath(const QString& name) {
  QDir().mkpath(QStringLiteral(AX7_SCREENSHOT_DIR));
  return QStringLiteral(AX7_SCREENSHOT_DIR "/") + name;
}

}  // namespace

class EqEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { ax7::test::InstallQuietSizeHints(); }
  void loadEq_data();
  void loadEq();
  void graphPickShowsEditorAndSends();
  void crossoverBandSendsItsCascade();
  void typeFromTableOrRadio_data();
  void typeFromTableOrRadio();
  void tableValueEdits_data();
  void tableValueEdits();
  void bandEditorEdits_data();
  void bandEditorEdits();
  void crossoverList();
  void copyPasteBetweenEditors();
  void wheelGoesToFocusedGraph();
  void screenshots();
};

void EqEditorTest::loadEq_data() {
  QTest::addColumn<int>("host");
  QTest::addColumn<int>("band");
  QTest::addColumn<int>("storedType");
  QTest::addColumn<float>("storedGain");
  QTest::addColumn<float>("storedFreq");
  QTest::addColumn<float>("storedQ");
  QTest::addColumn<int>("type");
  QTest::addColumn<float>("gain");
  QTest::addColumn<float>("freq");
  QTest::addColumn<float>("q");
  QTest::addColumn<QString>("typeCell");
  const int mic = int(Host::kMicA), out = int(Host::kOutput1);
  QTest::newRow("PEQ as stored") << mic << 2 << 1 << 6.0f << 1000.f << 2.5f << 1 << 6.0f << 1000.f
                                 << 2.5f << "PEQ";
  QTest::newRow("type 9 on a mic EQ is OFF")
      << mic << 3 << 9 << 0.f << 500.f << 1.f << 0 << 0.f << 500.f << 1.f << "OFF";
  QTest::newRow("LP drops its gain")
      << mic << 4 << 2 << 5.f << 300.f << 0.8f << 2 << 0.f << 300.f << 0.8f << "LP";
  QTest::newRow("frequency 0 keeps the graph's")
      << mic << 3 << 1 << 0.f << 0.f << 2.f << 1 << 0.f << 250.f << 2.f << "PEQ";
  QTest::newRow("Q 0 keeps the type's default")
      << mic << 5 << 4 << 3.f << 800.f << 0.f << 4 << 3.f << 800.f << 0.7f << "LS";
  QTest::newRow("limits") << mic << 6 << 5 << 0.f << 25000.f << 5.f << 5 << 0.f << 20000.f << 2.f
                          << "HS";
  QTest::newRow("output keeps crossover types")
      << out << 9 << 13 << 0.f << 2000.f << 0.7f << 13 << 0.f << 2000.f << 0.7f << "HP";
  QTest::newRow("output: above 31 is OFF")
      << out << 2 << 40 << 0.f << 200.f << 1.f << 0 << 0.f << 200.f << 1.f << "OFF";
}

void EqEditorTest::loadEq() {
  QFETCH(int, host);
  QFETCH(int, band);
  QFETCH(int, storedType);
  QFETCH(float, storedGain);
  QFETCH(float, storedFreq);
  QFETCH(float, storedQ);
  QFETCH(int, type);
  QFETCH(float, gain);
  QFETCH(float, freq);
  QFETCH(float, q);
  QFETCH(QString, typeCell);
  Harness h{Host(host)};
  const int set = configFor(Host(host)).eqSet;
  putRecord(h.mem, set, band, storedType, storedGain, storedFreq, storedQ);
  if (band == 9 && set >= 7) {
    for (int r = 10; r <= 12; ++r) putRecord(h.mem, set, r, r == 10 ? 13 : 1, 0, storedFreq, 0.7f);
  }
  h.mem.pc.setInt(size_t(configFor(Host(host)).bypassWord), 1);
  h.editor->LoadEq();
  QCOMPARE(h.band(band).type, type);
  QCOMPARE(h.band(band).gainDb, gain);
  QCOMPARE(h.band(band).freq, freq);
  QVERIFY(std::fabs(h.band(band).q - q) < 1e-6f);
  QCOMPARE(h.cell(band, EqTable::kTypeColumn), typeCell);
  QCOMPARE(h.cell(band, EqTable::kFrequencyColumn), QString::asprintf("%.0fHz", freq));
  QVERIFY(h.panel()->bypass());
  QVERIFY(h.sent.empty());  // loading sends nothing
}

void EqEditorTest::graphPickShowsEditorAndSends() {
  Harness h(Host::kMicA);
  QVERIFY(h.editor->isTableShown());
  // Drag band 3 up and right; every step is stored by the host's send.
  const QPoint from = h.marker(2);
  QTest::mousePress(h.panel(), Qt::LeftButton, {}, from);
  QVERIFY(!h.editor->isTableShown());
  QVERIFY(h.bandEditor()->isVisible());
  QCOMPARE(h.bandEditor()->numberLabel()->text(), QString("3"));
  QTest::mouseMove(h.panel(), from + QPoint(40, -60));
  QTest::mouseRelease(h.panel(), Qt::LeftButton, {}, from + QPoint(40, -60));
  QCOMPARE(h.sent.size(), size_t(3));
  const Sent last = h.sent.back();
  QCOMPARE(last.record, 2);
  QCOMPARE(last.type, 1);
  QCOMPARE(last.gain, h.band(2).gainDb);
  QCOMPARE(last.freq, int(h.band(2).freq));  // whole hertz, truncated
  QVERIFY(h.band(2).gainDb > 1.0f);
  // Editor and table row follow the band.
  QCOMPARE(h.bandEditor()->gainSlider()->value(), int(std::lround(h.band(2).gainDb * 10)));
  QCOMPARE(h.bandEditor()->frequencySlider()->value(), int(std::lround(h.band(2).freq)));
  QCOMPARE(h.bandEditor()->gainEdit()->text(), QString::asprintf("%+.1fdB", h.band(2).gainDb));
  QCOMPARE(h.cell(2, EqTable::kGainColumn), QString::asprintf("%+.1fdB", h.band(2).gainDb));
  QCOMPARE(h.bandEditor()->typeRadio(0)->isChecked(), true);

  // The Q slider takes the next band's range before its value: a PEQ at Q 5 picked after an LP
  // band reads 500, not the LP range's 200.
  h.editor->model().setBandType(0, 2);
  h.editor->model().setBandQ(5, 5.0);
  h.clickBand(0);
  QTest::mousePress(h.panel(), Qt::LeftButton, {}, h.marker(5));
  QCOMPARE(h.bandEditor()->qSlider()->maximum(), 3000);
  QCOMPARE(h.bandEditor()->qSlider()->value(), 500);
  QTest::mouseRelease(h.panel(), Qt::LeftButton, {}, h.marker(5));

  // A release on empty graph area returns to the table; nothing more is sent.
  h.sent.clear();
  QTest::mouseClick(h.panel(), Qt::LeftButton, {}, QPoint(h.panel()->width() / 2, 30));
  QVERIFY(h.editor->isTableShown());
  QCOMPARE(h.editor->selectedBand(), -1);
  QVERIFY(h.sent.empty());
}

void EqEditorTest::crossoverBandSendsItsCascade() {
  Harness h(Host::kOutput1);
  h.clickBand(9);
  // Press and release, each sending records 9..12 with their own values.
  QCOMPARE(h.sent.size(), size_t(8));
  for (int i = 0; i < 4; ++i) {
    QCOMPARE(h.sent[size_t(i)].record, 9 + i);
    QCOMPARE(h.sent[size_t(i)].freq, int(h.band(9 + i).freq));
  }
  h.sent.clear();
  h.clickBand(3);
  const Sent band3{3, 1, 0.f, 250, h.band(3).q};  // as the default box image holds it
  QCOMPARE(h.sent, (std::vector<Sent>{band3, band3}));
}

void EqEditorTest::typeFromTableOrRadio_data() {
  QTest::addColumn<int>("host");
  QTest::addColumn<int>("band");
  QTest::addColumn<int>("startType");
  QTest::addColumn<bool>("viaTable");
  QTest::addColumn<int>("newType");
  QTest::addColumn<std::vector<int>>("types");  // records band.. afterwards
  QTest::addColumn<float>("gain");
  QTest::addColumn<float>("q");
  QTest::addColumn<bool>("gainEnabled");
  QTest::addColumn<int>("qMax");
  QTest::addColumn<bool>("crossoverShown");
  const int mic = int(Host::kMicA), out = int(Host::kOutput1);
  // Every band starts at Q 0.5 and +3 dB (LS and PEQ keep a gain, so LS starts there too).
  QTest::newRow("PEQ to LS by table")
      << mic << 2 << 1 << true << 4 << std::vector<int>{4} << 0.f << 0.7f << true << 200 << false;
  QTest::newRow("PEQ to LP by radio")
      << mic << 2 << 1 << false << 2 << std::vector<int>{2} << 0.f << 0.7f << false << 200 << false;
  QTest::newRow("LS to PEQ by radio") << mic << 5 << 4 << false << 1 << std::vector<int>{1} << 3.f
                                      << 1.41f << true << 3000 << false;
  // On an output EQ the gain goes first; the cascade's sections have fixed Qs.
  QTest::newRow("crossover band LP by radio")
      << out << 9 << 1 << false << 2 << std::vector<int>{18, 20, 1, 1} << 0.f << 0.5f << false
      << 200 << true;
  QTest::newRow("crossover band HS by table")
      << out << 9 << 1 << true << 5 << std::vector<int>{5, 1, 1, 1} << 0.f << 0.7f << true << 200
      << false;
}

void EqEditorTest::typeFromTableOrRadio() {
  QFETCH(int, host);
  QFETCH(int, band);
  QFETCH(int, startType);
  QFETCH(bool, viaTable);
  QFETCH(int, newType);
  QFETCH(std::vector<int>, types);
  QFETCH(float, gain);
  QFETCH(float, q);
  QFETCH(bool, gainEnabled);
  QFETCH(int, qMax);
  QFETCH(bool, crossoverShown);
  Harness h{Host(host)};
  h.editor->model().setBandType(band, startType);
  h.editor->model().setBandQ(band, 0.5);
  h.editor->model().setBandGain(band, 3.0);
  const QStringList names = {"OFF", "PEQ", "LP", "HP", "LS", "HS"};
  if (viaTable) {
    h.chooseTableType(band, names[newType]);
    h.clickBand(band);  // the editor shows the result
    h.sent.clear();
  } else {
    h.clickBand(band);
    h.sent.clear();
    QTest::mouseClick(h.bandEditor()->typeRadio(newType - 1), Qt::LeftButton);
  }
  QCOMPARE(h.types(band, band + int(types.size()) - 1), types);
  QCOMPARE(h.band(band).gainDb, gain);
  QVERIFY(std::fabs(h.band(band).q - q) < 1e-6f);
  QCOMPARE(h.cell(band, EqTable::kTypeColumn), names[newType]);
  QCOMPARE(h.bandEditor()->typeIndex(), newType - 1);
  QCOMPARE(h.bandEditor()->gainSlider()->isEnabled(), gainEnabled);
  QCOMPARE(h.bandEditor()->gainEdit()->isEnabled(), gainEnabled);
  QCOMPARE(h.bandEditor()->qSlider()->maximum(), qMax);
  QCOMPARE(h.editor->crossoverList()->isVisible(), crossoverShown);
  if (crossoverShown)
    QCOMPARE(h.editor->crossoverList()->currentText(), QString("Butterworth 24dB"));
  if (!viaTable) {
    // The change went to the host: one record, or the crossover band's four.
    QCOMPARE(h.sent.size(), types.size());
    QCOMPARE(h.sent.front().type, types.front());
  }
}

void EqEditorTest::tableValueEdits_data() {
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("text");
  QTest::addColumn<float>("gain");
  QTest::addColumn<float>("freq");
  QTest::addColumn<float>("q");
  QTest::addColumn<QString>("cellAfter");
  // Band 4 starts as PEQ at 500 Hz, +3 dB, Q 2.
  QTest::newRow("freq 25000") << int(EqTable::kFrequencyColumn) << "25000" << 3.f << 20000.f << 2.f
                              << "20000Hz";
  QTest::newRow("freq 0 keeps") << int(EqTable::kFrequencyColumn) << "0" << 3.f << 500.f << 2.f
                                << "500Hz";
  QTest::newRow("freq text keeps")
      << int(EqTable::kFrequencyColumn) << "abc" << 3.f << 500.f << 2.f << "500Hz";
  // Whole hertz, as stored and sent: the cell shows 1234 where rounding would show 1235.
  QTest::newRow("freq with unit") << int(EqTable::kFrequencyColumn) << "1234.6Hz" << 3.f << 1234.f
                                  << 2.f << "1234Hz";
  QTest::newRow("gain text is 0 dB")
      << int(EqTable::kGainColumn) << "loud" << 0.f << 500.f << 2.f << "+0.0dB";
  QTest::newRow("gain clamps") << int(EqTable::kGainColumn) << "-40" << -15.f << 500.f << 2.f
                               << "-15.0dB";
  QTest::newRow("Q 0 keeps") << int(EqTable::kQColumn) << "0" << 3.f << 500.f << 2.f << "2.00";
  QTest::newRow("Q 50 on PEQ") << int(EqTable::kQColumn) << "50" << 3.f << 500.f << 30.f << "30.00";
  QTest::newRow("nan is no number")
      << int(EqTable::kQColumn) << "nan" << 3.f << 500.f << 2.f << "2.00";
}

void EqEditorTest::tableValueEdits() {
  QFETCH(int, column);
  QFETCH(QString, text);
  QFETCH(float, gain);
  QFETCH(float, freq);
  QFETCH(float, q);
  QFETCH(QString, cellAfter);
  Harness h(Host::kMicA);
  putRecord(h.mem, 0, 4, 1, 3.0f, 500.f, 2.0f);
  h.editor->LoadEq();
  h.editCell(4, column, text);
  QCOMPARE(h.band(4).gainDb, gain);
  QCOMPARE(h.band(4).freq, freq);
  QCOMPARE(h.band(4).q, q);
  QCOMPARE(h.cell(4, column), cellAfter);
  QCOMPARE(h.sent, (std::vector<Sent>{{4, 1, gain, int(freq), q}}));
}

void EqEditorTest::bandEditorEdits_data() {
  QTest::addColumn<QString>("what");
  QTest::addColumn<QString>("text");
  QTest::addColumn<float>("gain");
  QTest::addColumn<float>("freq");
  QTest::addColumn<float>("q");
  // Band 6 starts as PEQ at 2000 Hz, -4 dB, Q 1.5.
  QTest::newRow("F edit 0 is 20 Hz") << "freq"
                                     << "0" << -4.f << 20.f << 1.5f;
  QTest::newRow("F edit text is 20 Hz") << "freq"
                                        << "x" << -4.f << 20.f << 1.5f;
  QTest::newRow("F edit 99999") << "freq"
                                << "99999" << -4.f << 20000.f << 1.5f;
  QTest::newRow("Q edit 0 keeps") << "q"
                                  << "0" << -4.f << 2000.f << 1.5f;
  QTest::newRow("Q edit 3.25") << "q"
                               << "3.25" << -4.f << 2000.f << 3.25f;
  QTest::newRow("gain edit text is 0 dB") << "gain"
                                          << "?" << 0.f << 2000.f << 1.5f;
  QTest::newRow("gain edit +7.5dB") << "gain"
                                    << "+7.5dB" << 7.5f << 2000.f << 1.5f;
  QTest::newRow("gain slider Right") << "gainKey"
                                     << "" << -3.9f << 2000.f << 1.5f;
  QTest::newRow("F slider End") << "freqKey"
                                << "" << -4.f << 20000.f << 1.5f;
  QTest::newRow("Q slider Left") << "qKey"
                                 << "" << -4.f << 2000.f << 1.49f;
}

void EqEditorTest::bandEditorEdits() {
  QFETCH(QString, what);
  QFETCH(QString, text);
  QFETCH(float, gain);
  QFETCH(float, freq);
  QFETCH(float, q);
  Harness h(Host::kMicA);
  putRecord(h.mem, 0, 6, 1, -4.0f, 2000.f, 1.5f);
  h.editor->LoadEq();
  h.clickBand(6);
  h.sent.clear();
  BandEditor* e = h.bandEditor();
  if (what == "freq") h.typeInEdit(e->frequencyEdit(), text);
  if (what == "q") h.typeInEdit(e->qEdit(), text);
  if (what == "gain") h.typeInEdit(e->gainEdit(), text);
  if (what == "gainKey") QTest::keyClick(e->gainSlider(), Qt::Key_Right);
  if (what == "freqKey") QTest::keyClick(e->frequencySlider(), Qt::Key_End);
  if (what == "qKey") QTest::keyClick(e->qSlider(), Qt::Key_Left);
  QVERIFY(std::fabs(h.band(6).gainDb - gain) < 1e-5f);
  QCOMPARE(h.band(6).freq, freq);
  QVERIFY(std::fabs(h.band(6).q - q) < 1e-5f);
  QCOMPARE(h.sent.size(), size_t(1));
  QCOMPARE(h.sent[0].freq, int(freq));
  // Everything shows the band's new values.
  QCOMPARE(e->frequencyEdit()->text(), QString::asprintf("%dHz", int(freq)));
  QCOMPARE(e->qSlider()->value(), int(std::lround(q * 100)));
  QCOMPARE(h.cell(6, EqTable::kFrequencyColumn), QString::asprintf("%.0fHz", freq));
  QCOMPARE(h.cell(6, EqTable::kGainColumn), QString::asprintf("%+.1fdB", gain));
}

void EqEditorTest::crossoverList() {
  Harness h(Host::kOutput1);
  QComboBox* list = h.editor->crossoverList();
  QVERIFY(!list->isVisible());
  h.editor->model().chooseBandType(9, 3);  // Butterworth 24dB high-pass
  h.clickBand(9);
  QVERIFY(list->isVisible());
  QCOMPARE(list->currentText(), QString("Butterworth 24dB"));
  QCOMPARE(h.bandEditor()->typeIndex(), 2);  // HP

  h.sent.clear();
  list->setCurrentIndex(3);
  emit list->activated(3);  // what a user's pick reports
  QCOMPARE(h.types(9, 12), (std::vector<int>{19, 21, 19, 21}));
  QCOMPARE(h.sent.size(), size_t(4));
  QCOMPARE(h.sent[3].type, 21);
  QCOMPARE(h.cell(9, EqTable::kTypeColumn), QString("HP"));

  // Away and back: the entry is found again from the four types.
  QTest::mouseClick(h.panel(), Qt::LeftButton, {}, QPoint(h.panel()->width() / 2, 30));
  QVERIFY(!list->isVisible());
  list->setCurrentIndex(0);
  h.clickBand(9);
  QCOMPARE(list->currentText(), QString("LinkwitzRiely 48dB"));

  // In the table, only the crossover row shows the list.
  QTest::mouseClick(h.panel(), Qt::LeftButton, {}, QPoint(h.panel()->width() / 2, 30));
  auto clickRow = [&h](int row) {
    const QRect cell = h.table()->visualRect(h.table()->model()->index(row, 0));
    QTest::mouseClick(h.table()->viewport(), Qt::LeftButton, {}, cell.center());
  };
  clickRow(9);
  QVERIFY(list->isVisible());
  clickRow(3);
  QVERIFY(!list->isVisible());
  clickRow(9);
  QVERIFY(list->isVisible());
}

void EqEditorTest::copyPasteBetweenEditors() {
  // The real EQ set copy, on a box that is not connected: memory changes, reports are dropped.
  ax7::VirtualClock clock;
  ax7::sim::SimBackend backend(clock);
  ax7::Core core(backend, clock);
  EqCopySource copy;
  auto copySet = [&core](int s, int t) { return core.eq.CopyEqSet(s, t); };
  Harness output(Host::kOutput1, &core.mem, &copy, copySet);
  Harness mic(Host::kMicA, &core.mem, &copy, copySet);
  Harness echo(Host::kEchoA, &core.mem, &copy, copySet);

  // Nothing copied yet: a paste changes nothing.
  putRecord(core.mem, 0, 8, 1, 9.0f, 7000.f, 3.0f);
  mic.editor->LoadEq();
  mic.graphMenu("Paste EQ");
  QCOMPARE(getRecord(core.mem, 0, 8).gainDb, 9.0f);

  // Copy CH1 with a Bessel 12dB high-pass crossover, paste on mic A: ten records, and the
  // crossover section becomes a plain high-pass.
  output.editor->model().setBandGain(8, -6.0);
  output.editor->model().chooseBandType(9, 3);
  output.editor->model().applyCrossover(9, 4);
  for (int r = 0; r < 13; ++r) {
    const auto& b = output.band(r);
    core.eq.SendOutputEqBand(0, r, b.type, b.gainDb, int(b.freq), b.q);
  }
  output.graphMenu("Copy EQ");
  QCOMPARE(copy.set, 7);
  mic.graphMenu("Paste EQ");
  QCOMPARE(mic.band(8).gainDb, -6.0f);
  QCOMPARE(mic.band(9).type, 3);
  QCOMPARE(mic.cell(9, EqTable::kTypeColumn), QString("HP"));
  QCOMPARE(mic.cell(8, EqTable::kGainColumn), QString("-6.0dB"));

  // Mic A onto echo A: seven records (echo band 7 was at 5000 Hz).
  mic.graphMenu("Copy EQ");
  echo.graphMenu("Paste EQ");
  QCOMPARE(copy.set, 0);
  QCOMPARE(echo.band(6).freq, mic.band(6).freq);
  QCOMPARE(getRecord(core.mem, 4, 6).frequency, getRecord(core.mem, 0, 6).frequency);
}

void EqEditorTest::wheelGoesToFocusedGraph() {
  Harness h(Host::kMicA);
  h.editor->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(h.editor.get()));
  h.clickBand(1);  // the press gives the graph the focus
  QCOMPARE(h.editor->wheelTarget(), static_cast<QWidget*>(h.panel()));
  h.sent.clear();
  // A notch over the band editor reaches the focused graph.
  const QPointF at(10, 10);
  QWheelEvent ev(at, h.bandEditor()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                 Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(h.bandEditor(), &ev);
  QCOMPARE(h.band(1).gainDb, 0.1f);
  QCOMPARE(h.sent.size(), size_t(1));
}

void EqEditorTest::screenshots() {
  {
    Harness h(Host::kMicA);
    const float gains[10] = {2, 5, -3, 0, -6, 1.5, 3, 0, -2, 4};
    for (int b = 0; b < 10; ++b) putRecord(h.mem, 0, b, b == 0 ? 3 : 1, gains[b], 0, 0);
    putRecord(h.mem, 0, 7, 4, 3.0f, 4000, 0.8f);
    h.editor->LoadEq();
    h.editor->setRowNumberColour(QColor(0, 200, 255));
    QVERIFY(h.editor->grab().save(screenshotPath("eqeditor_mic_table.png")));
    h.clickBand(4);
    QVERIFY(h.editor->grab().save(screenshotPath("eqeditor_mic_band5.png")));
    h.editor->setLanguage(Language::Chinese);
    QVERIFY(h.editor->grab().save(screenshotPath("eqeditor_mic_band5_zh.png")));
  }
  {
    Harness h(Host::kOutput1);
    h.editor->model().setBandFrequency(9, 2500);
    h.editor->model().chooseBandType(9, 2);
    h.editor->model().applyCrossover(9, 1);
    h.clickBand(9);
    QVERIFY(h.editor->crossoverList()->isVisible());
    QVERIFY(h.editor->grab().save(screenshotPath("eqeditor_ch1_crossover.png")));
  }
}

QTEST_MAIN(EqEditorTest)
#include "pages_eqeditor_qtest.moc"
