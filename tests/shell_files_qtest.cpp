// Mode files from the desktop program: load (with the box mode a file name stands for), save,
// the recent-file list, document opening, and the command line that names a file.
#include <QFile>
#include <QMenu>
#include <QTest>

#include "params/mode_file.h"
#include "shell/command_line.h"
#include "shell/file_commands.h"
#include "shell/info_box.h"
#include "shell/recent_files.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "device/trace_file.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

// The effect volume (word 18) of every test file; the box does not report it back.
constexpr int kFileEffectVolume = 77;

QString writeModeFile(Shell& s, const QString& name) {
  const QString path = s.dir.filePath(name);
  ParameterMemory mem;
  InitParameterMemory(mem);
  mem.pc.setInt(18, kFileEffectVolume);
  if (!SaveModeFile(mem, QFile::encodeName(path).toStdString()).ok) return {};
  return path;
}

int framesStarting(const std::vector<std::string>& frames, const std::string& prefix) {
  int n = 0;
  for (const auto& f : frames) n += f.rfind(prefix, 0) == 0;
  return n;
}

QString infoText(Shell& s) {
  InfoBox* box = s.window->info().current();
  return box ? box->text() : QString();
}

}  // namespace

class FileCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void loadStoresIntoTheModeTheNameSays_data();
  void loadStoresIntoTheModeTheNameSays();
  void failedLoadLeavesNoPendingMode();
  void withoutBoxOnlyTheNotice();
  void saveStoresCurrentModeThenWrites();
  void openDocument();
  void recentListIsCappedAndOpensEntries();
  void fileOnCommandLineOpensAfterFirstConnect();
  void commandLine_data();
  void commandLine();
  void traceLines();
};

void FileCommandsTest::loadStoresIntoTheModeTheNameSays_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<int>("mode");
  QTest::newRow("m3") << "m3.px44t" << 2;
  QTest::newRow("M2 Party") << "M2 Party.px44t" << 1;
  QTest::newRow("m1.backup") << "m1.backup.px44t" << 0;
  QTest::newRow("m4 without extension") << "m4" << 3;
  QTest::newRow("am1") << "am1.px44t" << -1;
  QTest::newRow("mix") << "mix.px44t" << -1;
}

void FileCommandsTest::loadStoresIntoTheModeTheNameSays() {
  QFETCH(QString, name);
  QFETCH(int, mode);
  Shell s;
  s.prompter.openFile = writeModeFile(s, name);
  s.window->ribbon().setCurrentCategory(kOutputCategory);
  s.clearSent();
  s.window->handleCommand(IDC_FILE_OPEN_OUT);

  QCOMPARE(s.mem().pc.getInt(18), kFileEffectVolume);
  const auto sent = s.sent();
  QVERIFY(framesStarting(sent, "02 85") > 0);  // everything went to the box
  if (mode < 0) {
    QCOMPARE(framesStarting(sent, "02 03"), 0);
  } else {
    // Stored into the box mode after the synchronisation: 03 k, then 04 k.
    const std::vector<std::string> tail(sent.end() - 2, sent.end());
    QCOMPARE(tail, frames({QString("02 03 0%1").arg(mode).toStdString(),
                           QString("02 04 0%1").arg(mode).toStdString()}));
  }
  QCOMPARE(s.state->pendingBoxMode, -1);
  QCOMPARE(s.window->recent().paths().value(0), s.prompter.openFile);
}

void FileCommandsTest::failedLoadLeavesNoPendingMode() {
  Shell s;
  QFile bad(s.dir.filePath("m2.px44t"));
  QVERIFY(bad.open(QIODevice::WriteOnly));
  bad.write(QByteArray("\x06\x00\x00\x00", 4));
  bad.close();
  const int before = s.mem().pc.getInt(18);
  s.prompter.openFile = bad.fileName();
  s.clearSent();
  s.window->files().loadFile();
  QVERIFY(s.sent().empty());
  QCOMPARE(s.prompter.count("warning"), 1);
  // In the interface language (Chinese here), with the file's version.
  QCOMPARE(s.prompter.shown.back().caption, QString::fromUtf8("错误"));
  QVERIFY(s.prompter.shown.back().text.contains(QString::fromUtf8("不支持的模式文件版本 6")));
  QCOMPARE(s.state->pendingBoxMode, -1);
  QCOMPARE(s.mem().pc.getInt(18), before);
  QVERIFY(s.window->recent().paths().isEmpty());

  // A later box-mode load must not store anything into mode 2.
  s.mem().dev.g_bParamsChanged = 0;
  s.window->handleCommand(ID_LOADMODE_M1);
  QCOMPARE(framesStarting(s.sent(), "02 03"), 0);

  // A file that cannot be opened gets the mode file's own message, in both languages.
  s.prompter.openFile = s.dir.filePath("m1-missing.px44t");
  s.window->files().loadFile();
  QCOMPARE(s.prompter.shown.back().caption, QString::fromUtf8("文件错误"));
  QVERIFY(s.prompter.shown.back().text.contains("m1-missing.px44t"));
  QCOMPARE(s.state->pendingBoxMode, -1);
  s.window->handleCommand(ID_BTN_LANGUAGE);
  s.window->files().loadFile();
  QCOMPARE(s.prompter.shown.back().caption, QString("Can't write to file"));
  QVERIFY(s.prompter.shown.back().text.contains("m1-missing.px44t"));
  s.prompter.openFile = bad.fileName();
  s.window->files().loadFile();
  QVERIFY(s.prompter.shown.back().text.contains("unsupported mode file version 6"));
}

void FileCommandsTest::withoutBoxOnlyTheNotice() {
  Shell s(ShellOptions().lang(1).noConnect());
  for (int id : {IDC_FILE_OPEN, IDC_FILE_SAVE_OUT, ID_FILE_OPEN, ID_FILE_SAVE}) {
    s.window->handleCommand(id);
    QCOMPARE(infoText(s), QString("Please connect device!"));
  }
  QCOMPARE(s.prompter.openDialogs + s.prompter.saveDialogs, 0);
}

void FileCommandsTest::saveStoresCurrentModeThenWrites() {
  Shell s;
  QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
  s.mem().dev.g_nCurrentMode = 1;
  s.mem().dev.g_bParamsChanged = 1;
  s.prompter.saveFile = s.dir.filePath("evening.px44t");
  s.clearSent();

  s.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
  QTest::keyClick(s.window.get(), Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(s.prompter.saveDialogs, 1);
  QCOMPARE(s.prompter.lastProposedName, QString("name"));
  QCOMPARE(s.sent(), frames({"02 04 01"}));
  QCOMPARE(s.mem().dev.g_bParamsChanged.load(), 0);
  QCOMPARE(s.mem().dev.g_nCurrentMode.load(), 1);
  QCOMPARE(QFile(s.prompter.saveFile).size(), 2130);
  QCOMPARE(s.window->recent().paths().value(0), s.prompter.saveFile);

  // The ribbon's Output button does the same; a file that cannot be written is reported and
  // not listed.
  s.prompter.saveFile = s.dir.filePath("no/such/dir.px44t");
  s.window->handleCommand(IDC_FILE_SAVE_OUT);
  QCOMPARE(s.prompter.saveDialogs, 2);
  QCOMPARE(s.prompter.count("warning"), 1);
  QVERIFY(s.prompter.shown.back().text.startsWith("Errcode="));
  QCOMPARE(s.window->recent().paths().size(), 1);
}

void FileCommandsTest::openDocument() {
  Shell s(ShellOptions().noConnect());
  FileCommands& files = s.window->files();
  const QString path = writeModeFile(s, "m1.px44t");

  // Missing: told, and dropped from the list.
  const QString missing = s.dir.filePath("gone.px44t");
  s.window->recent().add(missing);
  QVERIFY(!files.openDocument(missing));
  QCOMPARE(s.prompter.shown.back().text, QString::fromUtf8("文件不存在！"));
  QCOMPARE(s.prompter.shown.back().caption, QString::fromUtf8("文件打开错误"));
  QVERIFY(!s.window->recent().paths().contains(missing));

  // Another type: nothing.
  QFile other(s.dir.filePath("notes.txt"));
  QVERIFY(other.open(QIODevice::WriteOnly));
  other.close();
  QVERIFY(!files.openDocument(other.fileName()));
  QCOMPARE(s.prompter.shown.size(), size_t(1));

  // No box: nothing loaded, nothing shown, but the file goes first in the list.
  QVERIFY(files.openDocument(path));
  QVERIFY(s.mem().pc.getInt(18) != kFileEffectVolume);
  QCOMPARE(s.prompter.shown.size(), size_t(1));
  QCOMPARE(s.window->recent().paths().value(0), path);

  // With a box: loaded and written to the box, without the name rule.
  s.connect();
  s.clearSent();
  QVERIFY(files.openDocument(path));
  QCOMPARE(s.mem().pc.getInt(18), kFileEffectVolume);
  QVERIFY(framesStarting(s.sent(), "02 85") > 0);
  QCOMPARE(framesStarting(s.sent(), "02 03"), 0);
}

void FileCommandsTest::recentListIsCappedAndOpensEntries() {
  Shell s;
  RecentFiles& recent = s.window->recent();
  for (int i = 0; i < 12; ++i) recent.add(s.dir.filePath(QString("f%1.px44t").arg(i)));
  QCOMPARE(recent.paths().size(), 10);
  QCOMPARE(recent.paths().first(), s.dir.filePath("f11.px44t"));
  recent.add(s.dir.filePath("f5.px44t"));
  QCOMPARE(recent.paths().first(), s.dir.filePath("f5.px44t"));
  QCOMPARE(recent.paths().size(), 10);
  QCOMPARE(s.settings.value("RecentFiles").toStringList(), recent.paths());

  // The application menu lists them; choosing one opens it.
  const QString path = writeModeFile(s, "party.px44t");
  recent.add(path);
  auto* menu = s.window->ribbon().applicationMenu()->findChild<QMenu*>(kRecentFilesMenuName);
  QVERIFY(menu);
  QCOMPARE(menu->actions().size(), 10);
  s.clearSent();
  menu->actions().first()->trigger();
  QTRY_VERIFY(framesStarting(s.sent(), "02 85") > 0);
}

void FileCommandsTest::fileOnCommandLineOpensAfterFirstConnect() {
  Shell s(ShellOptions().noConnect());
  const QString path = writeModeFile(s, "m2.px44t");
  s.window->openDocumentAfterConnect(path);
  s.connect();
  const auto sent = s.sent();
  // First the box is read, then the file is written to it.
  const auto firstRead = std::find(sent.begin(), sent.end(), frameHex(parseFrame("02 80")));
  const auto firstWrite = std::find_if(
      sent.begin(), sent.end(), [](const std::string& f) { return f.rfind("02 85", 0) == 0; });
  QVERIFY(firstRead != sent.end() && firstWrite != sent.end());
  QVERIFY(firstRead < firstWrite);
  QCOMPARE(s.mem().pc.getInt(18), kFileEffectVolume);
  QCOMPARE(s.window->recent().paths().value(0), path);
}

void FileCommandsTest::commandLine_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<bool>("sim");
  QTest::addColumn<int>("latency");
  QTest::addColumn<QString>("trace");
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("selector");  // hid:SELECTOR
  QTest::newRow("defaults") << QStringList{} << true << false << 0 << ""
                            << "" << "";
  QTest::newRow("sim with latency and trace")
      << QStringList{"--device", "sim", "--sim-latency", "20", "--trace", "t.txt", "a.px44t"}
      << true << true << 20 << "t.txt"
      << "a.px44t" << "";
  QTest::newRow("hid") << QStringList{"--device=hid"} << true << false << 0 << ""
                       << "" << "";
  QTest::newRow("unknown device") << QStringList{"--device", "usb"} << false << false << 0 << ""
                                  << "" << "";
  QTest::newRow("latency without sim")
      << QStringList{"--sim-latency", "5"} << false << false << 0 << ""
      << "" << "";
  QTest::newRow("negative latency")
      << QStringList{"--device", "sim", "--sim-latency", "-1"} << false << false << 0 << ""
      << "" << "";
  QTest::newRow("hid serial") << QStringList{"--device", "hid:AB12cd"} << true << false << 0
                              << "" << "" << "AB12cd";
  QTest::newRow("hid path") << QStringList{"--device=hid:/dev/hidraw3"} << true << false << 0
                            << "" << "" << "/dev/hidraw3";
  QTest::newRow("hid without a serial") << QStringList{"--device", "hid:"} << false << false << 0
                                        << "" << "" << "";
  QTest::newRow("two files") << QStringList{"a.px44t", "b.px44t"} << false << false << 0 << ""
                             << "" << "";
}

void FileCommandsTest::commandLine() {
  QFETCH(QStringList, args);
  QFETCH(bool, ok);
  QFETCH(bool, sim);
  QFETCH(int, latency);
  QFETCH(QString, trace);
  QFETCH(QString, file);
  QFETCH(QString, selector);
  CommandLine cl;
  QString error;
  bool exitNow = false;
  QCOMPARE(ParseCommandLine(QStringList{"ax7-control"} + args, &cl, &error, &exitNow), ok);
  QCOMPARE(error.isEmpty(), ok);
  if (!ok) return;
  QCOMPARE(cl.device == CommandLine::Device::Sim, sim);
  QCOMPARE(cl.simLatencyMs, latency);
  QCOMPARE(cl.tracePath, trace);
  QCOMPARE(cl.modeFile, file);
  QCOMPARE(QString::fromStdString(cl.deviceSelector), selector);
}

void FileCommandsTest::traceLines() {
  QTemporaryDir dir;
  const QString path = dir.filePath("trace.txt");
  {
    ax7::TraceFile trace;
    std::string error;
    QVERIFY(trace.open(path.toStdString(), &error));
    trace.phase("SynchronizeFromBox");
    trace.written(parseFrame("02 80"));
    trace.read(parseFrame("01 80 41 58 37"));
  }
  QFile f(path);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = f.readAll().split('\n');
  QCOMPARE(lines.value(0), QByteArray("# SynchronizeFromBox"));
  QCOMPARE(lines.value(1), "> 0280" + QByteArray(118, '0'));
  QCOMPARE(lines.value(2), "< 0180415837" + QByteArray(112, '0'));
  ax7::TraceFile cannot;
  std::string error;
  QVERIFY(!cannot.open(dir.filePath("no/dir/t.txt").toStdString(), &error));
  QVERIFY(!error.empty());
}

QTEST_MAIN(FileCommandsTest)
#include "shell_files_qtest.moc"
