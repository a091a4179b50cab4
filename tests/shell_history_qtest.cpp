// Undo/redo, the A/B slots and the settings history in the whole window against the simulated
// box: what the controls say, what goes to the box, what memory and the snapshot folder hold.
#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <map>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "history/setting_names.h"
#include "history/snapshots.h"
#include "params/band_record.h"
#include "params/mode_file.h"
#include "graphs/eq_panel.h"
#include "pages/eq_editor.h"
#include "pages/eq_exchange_ui.h"
#include "pages/step_slider.h"
#include "shell/page_host.h"
#include "shell/file_commands.h"
#include "shell/history_controls.h"
#include "shell/history_window.h"
#include "shell/mode_commands.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/script_parser.h"
#include "shell/settings_history.h"
#include "shell/status_panes.h"
#include "shell/tool_windows.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;
using history::SnapshotReason;

Q_DECLARE_METATYPE(ax7::history::SnapshotReason)

namespace {

constexpr int kMicA = 0;  // EQ set of microphone A

BandRecord micABand(Shell& s, int band) {
  const EqSenders::BandAddress a = EqSenders::AddressOf(kMicA, band);
  return LoadBandRecord(s.mem(), a.group, a.band);
}

// Lets the zero-time turn timer run: the event that made the edits has been handled.
void endEvent() { QCoreApplication::processEvents(); }

// Edits one field of a microphone A band as its editor would.
void editMicABand(Shell& s, int band, float gainDelta, float freqFactor = 1.0f) {
  const BandRecord r = micABand(s, band);
  s.core().uiEq.SendMicAEqBand(band, r.type, r.gainDb + gainDelta, int(r.frequency * freqFactor),
                               r.q);
}

// Changes a microphone A band in memory only (a file's settings, not an edit of the window).
void storeMicABand(Shell& s, int band, float gainDelta) {
  const BandRecord r = micABand(s, band);
  const EqSenders::BandAddress a = EqSenders::AddressOf(kMicA, band);
  s.core().eq.StoreBandRecord(a.group, a.band, r.gainDb + gainDelta, r.frequency, r.q, r.type);
}

void saveShot(QWidget& w, const QString& name) {
  QDir().mkpath(AX7_SCREENSHOT_DIR);
  QVERIFY(w.grab().save(QString(AX7_SCREENSHOT_DIR) + "/" + name + ".png"));
}

// What left for the box since the last drain (waiting for what the queue still holds).
std::vector<std::string> drainSent(Shell& s) {
  auto out = s.sent();
  s.clearSent();
  // The status request of the window's timer says nothing about settings.
  std::erase_if(out, [](const std::string& f) { return f.rfind("02 0E", 0) == 0; });
  return out;
}

// Keys reach the program's shortcuts only in its active window.
void activate(Shell& s) {
  QApplication::setActiveWindow(s.window.get());
  QVERIFY(QApplication::activeWindow() == s.window.get());
}

std::vector<history::Snapshot> snapshots(Shell& s) {
  return s.window->history().store().list();
}

QString saveModeFile(Shell& s, const QString& name, const std::function<void()>& change) {
  // A mode file holding the current settings with `change` applied; memory is put back.
  const history::SettingsImage now = history::ImageOf(s.mem());
  change();
  const QString path = s.dir.filePath(name);
  if (!SaveModeFile(s.mem(), QFile::encodeName(path).toStdString()).ok) return {};
  history::LoadImage(s.mem(), now);
  return path;
}

// The program run with --script and --trace in a fresh profile and data folder: the reports it
// wrote after each script line, by line number (reports of the window's timers left out).
struct TracedRun {
  int exitCode = -1;
  QString err;
  std::map<int, std::vector<std::string>> byLine;
  QStringList snapshotFiles;
};

TracedRun runScript(const QString& script) {
  QTemporaryDir dir;
  const QString trace = dir.filePath("trace.txt");
  QFile f(dir.filePath("script.txt"));
  f.open(QIODevice::WriteOnly);
  f.write(script.toUtf8());
  f.close();
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(QString::fromUtf8(AX7_CONTROL_PATH),
          {"--device", "sim", "--trace", trace, "--script", f.fileName()});
  TracedRun run;
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    run.err = "did not finish";
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.err = QString::fromUtf8(p.readAllStandardError());
  QFile t(trace);
  if (t.open(QIODevice::ReadOnly)) {
    int line = 0;
    for (const QByteArray& l : t.readAll().split('\n')) {
      if (l.startsWith("# script line ")) line = l.mid(14).trimmed().toInt();
      if (!l.startsWith("> ") || line == 0) continue;
      const std::string frame =
          frameHex(parseFrame(QByteArray::fromHex(l.mid(2)).toHex(' ').toStdString()));
      if (frame.rfind("02 0E", 0) == 0 || frame.rfind("02 8A", 0) == 0) continue;
      run.byLine[line].push_back(frame);
    }
  }
  run.snapshotFiles = QDir(dir.filePath("data/ax7-control/snapshots")).entryList(QDir::Files);
  return run;
}

}  // namespace

class ShellHistoryTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qRegisterMetaType<SnapshotReason>(); }

  void undoAndRedoShowTheirStepAndWriteBothWays_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("undoText");
    QTest::newRow("zh") << 0 << QString::fromUtf8("撤销: 话筒A 均衡 第3段 增益");
    QTest::newRow("en") << 1 << QString("Undo: Mic A EQ band 3 gain");
  }
  void undoAndRedoShowTheirStepAndWriteBothWays() {
    QFETCH(int, language);
    QFETCH(QString, undoText);
    Shell s(ShellOptions().lang(language));
    HistoryControls& controls = s.window->historyControls();
    auto* undoButton = s.window->ribbon().controlAs<QToolButton>(ID_BTN_UNDO);
    auto* redoButton = s.window->ribbon().controlAs<QToolButton>(ID_BTN_REDO);
    QVERIFY(undoButton && redoButton);
    QVERIFY(!undoButton->isEnabled());  // connecting is no edit
    QVERIFY(!controls.undoAction()->isEnabled());

    const history::SettingsImage before = history::ImageOf(s.mem());
    drainSent(s);
    editMicABand(s, 2, 3.0f);
    endEvent();
    const std::vector<std::string> edit = drainSent(s);
    const history::SettingsImage after = history::ImageOf(s.mem());
    QVERIFY(!edit.empty());

    QVERIFY(undoButton->isEnabled());
    QVERIFY(!redoButton->isEnabled());
    QCOMPARE(s.window->history().undoText(), undoText);
    QVERIFY(undoButton->toolTip().startsWith(undoText));
    QVERIFY(controls.statusPane()->text().startsWith(undoText));
    QCOMPARE(controls.undoAction()->statusTip(), undoText);

    // Ctrl+Z: memory as before, and the band's reports go out again with the old values.
    activate(s);
    QTest::keyClick(s.window.get(), Qt::Key_Z, Qt::ControlModifier);
    const std::vector<std::string> undone = drainSent(s);
    QVERIFY(history::ImageOf(s.mem()) == before);
    QCOMPARE(undone.size(), edit.size());
    QVERIFY(undone != edit);
    QVERIFY(redoButton->isEnabled());
    QVERIFY(!undoButton->isEnabled());

    // Ctrl+Y (and Ctrl+Shift+Z) send exactly what the edit sent.
    QTest::keyClick(s.window.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(drainSent(s), edit);
    QVERIFY(history::ImageOf(s.mem()) == after);
    QTest::keyClick(s.window.get(), Qt::Key_Z, Qt::ControlModifier);
    drainSent(s);
    QTest::keyClick(s.window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(drainSent(s), edit);

    // The box holds what the window shows: read back, nothing differs.
    s.window->SynchronizeFromBox();
    s.core().sync.waitIdle();
    QCOMPARE(history::DiffImages(after, history::ImageOf(s.mem())).size(), size_t(0));
  }

  void aDragIsOneStepUntilRelease() {
    Shell s;
    auto* slider = s.window->ribbon().controlAs<StepSlider>(ID_SLIDER_ECHOVOL);
    QVERIFY(slider);
    const history::SettingsImage before = history::ImageOf(s.mem());
    const int shown = slider->value();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(2, 2));
    for (int v : {10, 20, 30, 40}) {
      s.clock.advance(2000);  // far apart in time: only the held button joins them
      slider->setValue(v);
      emit slider->userMoved(v);
      endEvent();
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(s.window->history().canUndo());
    QVERIFY(s.window->history().undo() > 0);
    QVERIFY(history::ImageOf(s.mem()) == before);
    QVERIFY(!s.window->history().canUndo());
    QCOMPARE(slider->value(), shown);  // the ribbon shows memory again
  }

  void undoOfAMasterVolumeRestoresIt() {
    Shell s;
    auto* slider = s.window->ribbon().controlAs<StepSlider>(ID_SLIDER_MICVOL);
    QVERIFY(slider);
    const history::SettingsImage before = history::ImageOf(s.mem());
    const int shown = slider->value();
    slider->setValue(shown > 50 ? 20 : 80);
    emit slider->userMoved(slider->value());
    endEvent();
    QVERIFY(s.window->history().canUndo());
    s.window->history().undo();
    QVERIFY(history::ImageOf(s.mem()) == before);
    QCOMPARE(slider->value(), shown);
  }

  void undoAcrossAReadFromTheBoxAsksFirst() {
    Shell s;
    SettingsHistory& h = s.window->history();
    const history::SettingsImage before = history::ImageOf(s.mem());
    editMicABand(s, 0, -2.0f);
    endEvent();
    const history::SettingsImage edited = history::ImageOf(s.mem());
    s.window->SynchronizeFromBox();  // the settings come from the box again: a barrier
    s.core().sync.waitIdle();
    QVERIFY(h.canUndo());

    s.prompter.shown.clear();
    s.prompter.answers = {Answer::No};
    drainSent(s);
    QCOMPARE(h.undo(), -1);
    QCOMPARE(s.prompter.count("question"), 1);
    QVERIFY(s.prompter.shown.back().text.contains(QString::fromUtf8("从机器重新读取")));
    QVERIFY(drainSent(s).empty());
    QVERIFY(history::ImageOf(s.mem()) == edited);

    s.prompter.answers = {Answer::Yes};
    QVERIFY(h.undo() > 0);
    QVERIFY(history::ImageOf(s.mem()) == before);
  }

  void abSwitchWritesOnlyWhatDiffersAndCanBeUndone() {
    Shell s;
    SettingsHistory& h = s.window->history();
    auto* ab = s.window->ribbon().controlAs<QToolButton>(ID_BTN_AB);
    QVERIFY(ab);
    QCOMPARE(ab->text(), QString::fromUtf8("A/B: —"));
    h.storeSlot(0);
    const history::SettingsImage a = history::ImageOf(s.mem());
    QCOMPARE(ab->text(), QString("A/B: A"));
    for (int band : {1, 4, 7}) {
      editMicABand(s, band, 4.5f);
      endEvent();
    }
    s.window->updateUi();
    QCOMPARE(ab->text(), QString("A/B: A*"));
    h.storeSlot(1);
    const history::SettingsImage b = history::ImageOf(s.mem());
    QCOMPARE(ab->text(), QString("A/B: B"));
    const size_t kept = snapshots(s).size();

    // F9 switches; three bands differ: between three and six reports, nothing else.
    drainSent(s);
    activate(s);
    QTest::keyClick(s.window.get(), Qt::Key_F9);
    const std::vector<std::string> sent = drainSent(s);
    QVERIFY2(sent.size() >= 3 && sent.size() <= 6, std::to_string(sent.size()).c_str());
    QVERIFY(history::ImageOf(s.mem()) == a);
    QCOMPARE(ab->text(), QString("A/B: A"));
    QCOMPARE(snapshots(s).size(), kept + 1);
    QCOMPARE(snapshots(s).front().reason, SnapshotReason::AbSwitch);

    // Switching to what is live already sends nothing.
    drainSent(s);
    QVERIFY(h.switchSlot(0) == 0);
    QVERIFY(drainSent(s).empty());

    // The switch is one step: undo brings B back.
    QVERIFY(h.undo() > 0);
    QVERIFY(history::ImageOf(s.mem()) == b);
    s.window->updateUi();
    QCOMPARE(ab->text(), QString("A/B: A*"));  // A stays the slot chosen; live now differs
  }

  void abWithoutSettingsToSwitchToSaysSo() {
    Shell s;
    SettingsHistory& h = s.window->history();
    std::vector<QString> notices;
    h.notice = [&](const QString& t) { notices.push_back(t); };
    drainSent(s);
    QCOMPARE(h.switchSlot(), -1);
    QCOMPARE(h.switchSlot(1), -1);
    h.storeSlot(0);
    QCOMPARE(h.switchSlot(), -1);  // B is still empty
    QVERIFY(drainSent(s).empty());
    QCOMPARE(notices.size(), size_t(4));
    QVERIFY(notices[3].contains("B"));
    QVERIFY(snapshots(s).empty());  // nothing was replaced, nothing kept
  }

  void abSwitchStoppedAtTheSnapshotQuestionSaysSo_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("zh") << 0;
    QTest::newRow("en") << 1;
  }
  void abSwitchStoppedAtTheSnapshotQuestionSaysSo() {
    QFETCH(int, language);
    Shell s(ShellOptions().lang(language));
    SettingsHistory& h = s.window->history();
    h.storeSlot(0);
    QFile blocker(s.dir.filePath("snapshots"));  // no snapshot can be kept
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    std::vector<QString> notices;
    h.notice = [&](const QString& t) { notices.push_back(t); };
    s.prompter.answers = {Answer::No};
    drainSent(s);
    SettingsHistory::SwitchRefusal why = SettingsHistory::SwitchRefusal::kNone;
    QCOMPARE(h.switchSlot(0, &why), -1);
    QCOMPARE(why, SettingsHistory::SwitchRefusal::kNotKept);
    QVERIFY(drainSent(s).empty());
    QCOMPARE(notices.size(), size_t(1));
    // Why nothing happened, not that A is empty.
    const QString expected = language == 0
                                 ? QString::fromUtf8("没有切换到 A：当前设置无法保存为快照")
                                 : QStringLiteral(
                                       "Not switched to A: the current settings could "
                                       "not be kept as a snapshot");
    QVERIFY2(notices[0].startsWith(expected), qPrintable(notices[0]));
  }

  void everyReplacingActionKeepsASnapshotFirst_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<SnapshotReason>("reason");
    QTest::newRow("load file") << 0 << SnapshotReason::LoadFile;
    QTest::newRow("recall mode") << 1 << SnapshotReason::RecallMode;
    QTest::newRow("machine reset") << 2 << SnapshotReason::MachineReset;
    QTest::newRow("eq reset") << 3 << SnapshotReason::EqReset;
    QTest::newRow("a/b switch") << 4 << SnapshotReason::AbSwitch;
    QTest::newRow("eq import") << 5 << SnapshotReason::EqImport;
  }
  void everyReplacingActionKeepsASnapshotFirst() {
    QFETCH(int, action);
    QFETCH(SnapshotReason, reason);
    Shell s;
    editMicABand(s, 3, 6.0f);  // settings that only live in memory so far
    endEvent();
    const history::SettingsImage live = history::ImageOf(s.mem());
    QVERIFY(snapshots(s).empty());
    switch (action) {
      case 0:
        s.prompter.openFile = saveModeFile(s, "other.px44t", [&] { storeMicABand(s, 5, 2.0f); });
        s.window->files().loadFile();
        break;
      case 1:
        s.window->modes().loadMode(1);
        break;
      case 2:
        s.window->modes().machineReset();
        break;
      case 3:
        s.window->status().eqReset()->click();
        break;
      case 4:
        s.window->history().storeSlot(0);
        s.window->history().storeSlot(1);
        s.window->history().switchSlot(0);
        break;
      case 5: {
        auto* editor = s.window->pages().currentPage()->findChild<EqEditor*>();
        QVERIFY(editor);
        editor->exchange()->setPrompter(&s.prompter);
        QVERIFY(editor->exchange()->importFile(QString::fromUtf8(AX7_TEST_DATA_DIR) +
                                               "/eqx/autoeq_hd650_ParametricEQ.txt"));
        break;
      }
    }
    s.core().sync.waitIdle();
    const std::vector<history::Snapshot> list = snapshots(s);
    QCOMPARE(list.size(), size_t(1));
    QCOMPARE(list.front().reason, reason);
    QVERIFY(QFileInfo(QString::fromStdString(list.front().path)).fileName().contains(
        QString::fromLatin1(history::ReasonKey(reason))));
    history::SettingsImage kept;
    QVERIFY(s.window->history().store().read(list.front(), kept));
    QVERIFY(kept == live);
  }

  void aFailedSnapshotAsksAndNoMeansNothingIsReplaced() {
    Shell s;
    // The snapshot folder's place is taken by a file: nothing can be saved there.
    QFile blocker(s.dir.filePath("snapshots"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString other = saveModeFile(s, "other.px44t", [&] { storeMicABand(s, 5, 2.0f); });
    const history::SettingsImage before = history::ImageOf(s.mem());
    s.prompter.openFile = other;
    s.prompter.answers = {Answer::No};
    drainSent(s);
    s.window->files().loadFile();
    s.core().sync.waitIdle();
    QCOMPARE(s.prompter.count("question"), 1);
    QVERIFY(s.prompter.shown.back().text.contains(QString::fromUtf8("无法保存当前设置的快照")));
    QVERIFY(history::ImageOf(s.mem()) == before);
    QVERIFY(drainSent(s).empty());
    QVERIFY(!s.window->history().canUndo());

    // Yes goes on: the file is loaded, and its load is a step that undo takes back.
    s.prompter.answers = {Answer::Yes};
    s.window->files().loadFile();
    s.core().sync.waitIdle();
    QVERIFY(history::ImageOf(s.mem()) != before);
    QVERIFY(s.window->history().undoText().contains("other.px44t"));
    QVERIFY(s.window->history().undo() > 0);
    QVERIFY(history::ImageOf(s.mem()) == before);
  }

  void historyWindowListsRestoresAndOpensTheFolder_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("zh") << 0;
    QTest::newRow("en") << 1;
  }
  void historyWindowListsRestoresAndOpensTheFolder() {
    QFETCH(int, language);
    Shell s(ShellOptions().lang(language));
    SettingsHistory& h = s.window->history();
    // Two snapshots: before an EQ reset and before a file load.
    editMicABand(s, 2, 3.0f);
    editMicABand(s, 6, -4.0f);
    endEvent();
    const history::SettingsImage first = history::ImageOf(s.mem());
    s.window->status().eqReset()->click();
    s.prompter.openFile = saveModeFile(s, "night.px44t", [&] { storeMicABand(s, 9, 1.0f); });
    s.window->files().loadFile();
    s.core().sync.waitIdle();
    h.storeSlot(0);

    auto* w = qobject_cast<HistoryWindow*>(s.window->tools().open(kHistoryWindow));
    QVERIFY(w);
    w->RefreshAll();
    QCOMPARE(w->list()->topLevelItemCount(), 2);
    const QTreeWidgetItem* eqReset = w->list()->topLevelItem(1);  // newest first
    QCOMPARE(eqReset->text(1), QString::fromStdString(history::ReasonText(
                                   SnapshotReason::EqReset, language == 1
                                                                ? history::DiffLanguage::English
                                                                : history::DiffLanguage::Chinese)));
    QVERIFY(eqReset->text(2).toInt() > 0);
    QVERIFY(!eqReset->text(3).isEmpty());
    QVERIFY(!w->restoreButton()->isEnabled());  // nothing chosen yet
    saveShot(*w, QString("history_window_%1").arg(language == 1 ? "en" : "zh"));

    // Restore writes the snapshot back and keeps what it replaces.
    QVERIFY(w->restoreRow(1));
    QCOMPARE(history::DiffImages(first, history::ImageOf(s.mem())).size(), size_t(0));
    QCOMPARE(h.store().list().front().reason, SnapshotReason::Restore);
    QCOMPARE(w->list()->topLevelItemCount(), 3);
    QCOMPARE(w->list()->topLevelItem(2)->text(2), QString("0"));  // that one is now
    QVERIFY(h.undoText().contains(language == 1 ? "Restore" : QString::fromUtf8("恢复")));

    QUrl opened;
    w->openUrl = [&](const QUrl& url) { return opened = url, true; };
    w->folderButton()->click();
    QCOMPARE(opened.toLocalFile(), s.dir.filePath("snapshots"));
    w->openUrl = [](const QUrl&) { return false; };
    QVERIFY(!w->openFolder());
    QCOMPARE(s.prompter.count("warning"), 1);

    // The controls as a person sees them: tab row and status pane.
    editMicABand(s, 2, 1.5f);
    endEvent();
    s.window->updateUi();
    saveShot(*s.window, QString("history_controls_%1").arg(language == 1 ? "en" : "zh"));
  }

  void refreshesLeaveNoBandHalfSelected() {
    // Band 7 picked on the graph, then an undo, a redo, an A/B switch: each refresh leaves both
    // the band editor and the graph (fill, readout, status line) without a picked band.
    Shell s;
    s.window->ShowPage(PageKind::Music, 0);
    QCoreApplication::processEvents();
    auto* editor = s.window->pages().currentPage()->findChild<EqEditor*>();
    QVERIFY(editor);
    CEqPanel* panel = editor->panel();
    s.window->history().storeSlot(0);
    s.window->history().storeSlot(1);
    const auto pickBand7 = [&](int dy) {
      const QPoint at = panel->markerCentre(6).toPoint();
      QTest::mousePress(panel, Qt::LeftButton, {}, at);
      if (dy != 0) QTest::mouseMove(panel, at + QPoint(0, dy));
      QTest::mouseRelease(panel, Qt::LeftButton, {}, at + QPoint(0, dy));
      endEvent();
      QCOMPARE(editor->selectedBand(), 6);
      QCOMPARE(panel->selectedBand(), 6);
    };
    const auto nothingPicked = [&] {
      QCOMPARE(editor->selectedBand(), -1);
      QVERIFY(editor->isTableShown());
      QCOMPARE(panel->selectedBand(), -1);
    };
    pickBand7(12);             // a drag
    editMicABand(s, 2, 1.0f);  // then another band's edit, the step the undo takes back
    endEvent();
    QVERIFY(s.window->history().undo() >= 0);
    nothingPicked();
    pickBand7(0);  // picked again without a change: the redo is still there
    QVERIFY(s.window->history().redo() >= 0);
    nothingPicked();
    pickBand7(0);
    QVERIFY(s.window->history().switchSlot() >= 0);
    nothingPicked();
  }

  void scriptedEditsUndoRedoAndAbSwitchInTheTrace() {
    // Where the markers of bands 2, 4, 5 and 8 of microphone A are, in a window like the program's.
    std::map<int, QPoint> marker;
    {
      Shell s;
      s.window->ShowPage(PageKind::Music, 0);
      QCoreApplication::processEvents();
      auto* panel = qobject_cast<CEqPanel*>(
          [&]() -> QWidget* {
            for (QWidget* w : s.window->findChildren<QWidget*>())
              if (w->property("ax7Id").toInt() == 1040 && qobject_cast<CEqPanel*>(w)) return w;
            return nullptr;
          }());
      QVERIFY(panel);
      for (int band : {1, 3, 4, 7}) marker[band] = panel->markerCentre(band).toPoint();
    }
    auto drag = [&](int band, int dy) {
      const QPoint p = marker[band];
      return QString("drag 1040 %1 %2 %1 %3\n").arg(p.x()).arg(p.y()).arg(p.y() + dy);
    };
    const QString script = "page music 0\n"           // 1
                           "ab store A\n"             // 2
                           + drag(1, -24) +           // 3
                           drag(4, -24) +             // 4
                           drag(7, 24) +              // 5
                           "ab store B\n"             // 6
                           "ab switch\n"              // 7: back to A, three bands
                           "ab switch\n"              // 8: to B again
                           + drag(3, -30) +           // 9: the edit
                           "undo\n"                   // 10
                           "redo\n"                   // 11
                           "history open\n"           // 12
                           "history restore 0\n"      // 13: A before the second switch
                           "answer no\n"              // 14
                           "quit\n";                  // 15
    TracedRun run = runScript(script);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    for (int line : {3, 4, 5, 9}) QVERIFY2(run.byLine[line].size() >= 2, qPrintable(QString::number(line)));
    // Three bands differ: between three and six reports each way, nothing near a full write.
    for (int line : {7, 8}) {
      const size_t n = run.byLine[line].size();
      QVERIFY2(n >= 3 && n <= 6, qPrintable(QString("line %1: %2 reports").arg(line).arg(n)));
    }
    // The redo sends exactly the band's last reports of the drag; the undo as many, to the same
    // places, with the values from before it.
    const std::vector<std::string>& edit = run.byLine[9];
    const std::vector<std::string>& undone = run.byLine[10];
    const std::vector<std::string>& redone = run.byLine[11];
    QVERIFY(!redone.empty() && redone.size() <= edit.size());
    QCOMPARE(redone, std::vector<std::string>(edit.end() - long(redone.size()), edit.end()));
    QCOMPARE(undone.size(), redone.size());
    QVERIFY(undone != redone);
    // Two switches: two snapshots, named by their reason.
    QCOMPARE(run.snapshotFiles.filter("_ab-switch.").size(), 2);
    // The restore writes four bands back (the three of A and the edited one), after keeping
    // what it replaces.
    const size_t restored = run.byLine[13].size();
    QVERIFY2(restored >= 4 && restored <= 8, qPrintable(QString::number(restored)));
    QCOMPARE(run.snapshotFiles.filter("_restore.").size(), 1);
  }

  void scriptLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");  // -1: refused
    QTest::addColumn<double>("number");
    using K = ScriptCommand::Kind;
    QTest::newRow("undo") << "undo" << int(K::Undo) << 0.0;
    QTest::newRow("redo") << "redo" << int(K::Redo) << 0.0;
    QTest::newRow("store A") << "ab store A" << int(K::AbStore) << 0.0;
    QTest::newRow("store b") << "ab store b" << int(K::AbStore) << 1.0;
    QTest::newRow("switch") << "ab switch" << int(K::AbSwitch) << -1.0;
    QTest::newRow("switch B") << "ab switch B" << int(K::AbSwitch) << 1.0;
    QTest::newRow("history open") << "history open" << int(K::HistoryOpen) << 0.0;
    QTest::newRow("restore 3") << "history restore 3" << int(K::HistoryRestore) << 3.0;
    QTest::newRow("undo twice") << "undo 2" << -1 << 0.0;
    QTest::newRow("store nothing") << "ab store" << -1 << 0.0;
    QTest::newRow("store C") << "ab store C" << -1 << 0.0;
    QTest::newRow("ab alone") << "ab" << -1 << 0.0;
    QTest::newRow("restore none") << "history restore" << -1 << 0.0;
    QTest::newRow("restore -1") << "history restore -1" << -1 << 0.0;
    QTest::newRow("history x") << "history clear" << -1 << 0.0;
  }
  void scriptLines() {
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(double, number);
    std::vector<ScriptCommand> out;
    ScriptError error;
    const bool ok = ParseScript(line.toStdString(), &out, &error);
    QCOMPARE(ok, kind >= 0);
    if (!ok) {
      QCOMPARE(error.line, 1);
      QVERIFY(!error.message.empty());
      return;
    }
    QCOMPARE(int(out.at(0).kind), kind);
    if (!out[0].numbers.empty()) QCOMPARE(out[0].numbers[0], number);
  }
};

QTEST_MAIN(ShellHistoryTest)
#include "shell_history_qtest.moc"
