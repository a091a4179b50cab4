// ax7-control driven from outside: the script reader's lines and complaints, and the real
// program run with --script against the simulated box, compared frame for frame with the same
// actions made with the mouse on a window in this process.
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include "pages/delay_page.h"
#include "pages/eq_table.h"
#include "pages/page_factory.h"
#include "pages/step_slider.h"
#include "params/band_record.h"
#include "shell/page_host.h"
#include "shell/remote_access.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/script_parser.h"
#include "shell/script_runner.h"
#include "shell/status_panes.h"
#include "shell_fixture.h"
#include "support/mqtt_broker.h"
#include "support/window_edits.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

Q_DECLARE_METATYPE(ScriptCommand::Kind)

namespace {

struct Run {
  int exitCode = -1;
  QString err;
  QString out;
  std::vector<std::string> written;  // frames the program wrote, as frameHex text
};

// Runs the program in a fresh profile with the given arguments (and script text, when given).
Run runProgram(QStringList args, const QString& script = {},
               const QProcessEnvironment* environment = nullptr) {
  QTemporaryDir dir;
  const QString trace = dir.filePath("trace.txt");
  if (!script.isNull()) {
    QFile f(dir.filePath("script.txt"));
    f.open(QIODevice::WriteOnly);
    f.write(script.toUtf8());
    f.close();
    args << "--trace" << trace << "--script" << f.fileName();
  }
  QProcess p;
  QProcessEnvironment env = environment ? *environment : QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  if (!environment) env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(QString::fromUtf8(AX7_CONTROL_PATH), args);
  Run run;
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    run.err = "did not finish";
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.err = QString::fromUtf8(p.readAllStandardError());
  run.out = QString::fromUtf8(p.readAllStandardOutput());
  QFile f(trace);
  if (f.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : f.readAll().split('\n')) {
      if (!line.startsWith("> ")) continue;
      run.written.push_back(frameHex(parseFrame(
          QByteArray::fromHex(line.mid(2)).toHex(' ').toStdString())));
    }
  }
  return run;
}

// The frames of the user's edits: the status requests of the window's timer and the leaving
// notice at the end are left out, as is everything up to the end of the first synchronisation.
std::vector<std::string> edits(const std::vector<std::string>& written, size_t syncFrames) {
  std::vector<std::string> out;
  for (size_t i = syncFrames; i < written.size(); ++i) {
    const std::string& f = written[i];
    if (f.rfind("02 0E", 0) == 0 || f.rfind("02 8A", 0) == 0) continue;
    out.push_back(f);
  }
  return out;
}

QPoint thumbCentre(StepSlider* slider) {
  return slider->handleRect().center();
}

// Runs script text on the window in this process (questions and file dialogs go to the
// Shell's prompter); false with the reason when a line could not be read or carried out.
bool runHere(Shell& s, const QString& script) {
  std::vector<ScriptCommand> commands;
  ScriptError error;
  if (!ParseScript(script.toStdString(), &commands, &error)) {
    qWarning("line %d: %s", error.line, error.message.c_str());
    return false;
  }
  ScriptRunner runner(*s.window, "here", std::move(commands), nullptr);
  int exitCode = -1;
  QObject::connect(&runner, &ScriptRunner::finished, [&](int code) { exitCode = code; });
  runner.start();
  if (!QTest::qWaitFor([&] { return !runner.running(); }, 20000)) return false;
  QCoreApplication::processEvents();  // what the last line queued (a cell's commit)
  s.core().queue.waitIdle();
  return exitCode == -1;
}

BandRecord micABand(Shell& s, int band) {
  PackedBand bytes{};
  s.mem().boxImage.copyOut(size_t(EqSetOffset(0) + band * kBandRecordSize), bytes.data(),
                           bytes.size());
  return UnpackBandRecord(bytes.data());
}

}  // namespace

class ScriptTest : public QObject {
  Q_OBJECT
 private slots:
  void readsCommands_data();
  void readsCommands();
  void refusesLines_data();
  void refusesLines();
  void namesEveryPageAndToolWindowOfTheFactoryTables();
  void scriptedEditsSendWhatTheMouseSends();
  void badLinesExitTwoNamingTheLine_data();
  void badLinesExitTwoNamingTheLine();
  void helpAndVersionWithoutADisplay();
  void silentBoxEndsClearly();
  void eqTableCellsBypassAndReset();
  void eqExportAndImportButtons();
  void spinArrows();
  void refusesScriptsAndTracesThatAreNoFiles_data();
  void refusesScriptsAndTracesThatAreNoFiles();
  void abSwitchRefusedSaysWhy();
  void mqttSwitchedOnByAScriptTakesCommands();
};

void ScriptTest::readsCommands_data() {
  QTest::addColumn<QString>("line");
  QTest::addColumn<ScriptCommand::Kind>("kind");
  QTest::addColumn<int>("id");
  QTest::addColumn<QList<double>>("numbers");
  QTest::addColumn<QString>("text");
  using K = ScriptCommand::Kind;
  QTest::newRow("page with argument") << "page output 3" << K::Page << 0 << QList<double>{385, 3}
                                      << "";
  QTest::newRow("page without") << "  page room  " << K::Page << 0 << QList<double>{334, 0} << "";
  QTest::newRow("tool") << "tool 512" << K::Tool << 512 << QList<double>{} << "";
  QTest::newRow("click") << "click 32847" << K::Click << 32847 << QList<double>{} << "";
  QTest::newRow("set negative fraction")
      << "set 1001 -12.5" << K::Set << 1001 << QList<double>{-12.5} << "-12.5";
  QTest::newRow("text keeps spaces")
      << "text 1002 my  mode 1" << K::Text << 1002 << QList<double>{} << "my  mode 1";
  QTest::newRow("select") << "select 7 2" << K::Select << 7 << QList<double>{2} << "";
  QTest::newRow("drag") << "drag 9 1 2 -3 4" << K::Drag << 9 << QList<double>{1, 2, -3, 4} << "";
  QTest::newRow("key") << "key 9 Ctrl+Right" << K::Key << 9 << QList<double>{} << "Ctrl+Right";
  QTest::newRow("lang") << "lang en" << K::Lang << 0 << QList<double>{1} << "";
  QTest::newRow("wait") << "wait 250" << K::Wait << 0 << QList<double>{250} << "";
  QTest::newRow("shot") << "shot /tmp/a b.png" << K::Shot << 0 << QList<double>{} << "/tmp/a b.png";
  QTest::newRow("answer") << "answer cancel" << K::Answer << 0 << QList<double>{2} << "";
  QTest::newRow("quit") << "quit" << K::Quit << 0 << QList<double>{} << "";
  // Comments after a command, and what stays literal.
  QTest::newRow("comment after set") << "set 32829 40          # microphone volume" << K::Set
                                     << 32829 << QList<double>{40} << "40";
  QTest::newRow("comment after quit") << "quit # done" << K::Quit << 0 << QList<double>{} << "";
  QTest::newRow("comment after text")
      << "text 5 Party  2 # the name" << K::Text << 5 << QList<double>{} << "Party  2";
  QTest::newRow("# inside a word")
      << "shot out#1.png" << K::Shot << 0 << QList<double>{} << "out#1.png";
  QTest::newRow("quoted text keeps #") << R"(text 5 " Party #2 \"x\" \\ "  # a comment)" << K::Text
                                       << 5 << QList<double>{} << R"( Party #2 "x" \ )";
  QTest::newRow("quoted file") << R"(file "a #b.txt")" << K::File << 0 << QList<double>{}
                               << "a #b.txt";
  QTest::newRow("empty text before a comment")
      << "text 5 # cleared" << K::Text << 5 << QList<double>{} << "";
  QTest::newRow("table cell") << "text 1139 9,1 HS # band 10" << K::Text << 1139 << QList<double>{}
                              << "9,1 HS";
  QTest::newRow("spin arrow up") << "click 1051 up" << K::Click << 1051 << QList<double>{1} << "";
  QTest::newRow("spin arrow down")
      << "click 1051 down # slower" << K::Click << 1051 << QList<double>{-1} << "";
}

void ScriptTest::readsCommands() {
  QFETCH(QString, line);
  QFETCH(ScriptCommand::Kind, kind);
  QFETCH(int, id);
  QFETCH(QList<double>, numbers);
  QFETCH(QString, text);
  // Comments and blank lines around it are skipped, and CRLF endings are accepted.
  const std::string source = "# a comment\r\n\n   \n" + line.toStdString() + "\r\n";
  std::vector<ScriptCommand> commands;
  ScriptError error;
  QVERIFY2(ParseScript(source, &commands, &error), error.message.c_str());
  QCOMPARE(commands.size(), size_t(1));
  const ScriptCommand& c = commands[0];
  QCOMPARE(c.kind, kind);
  QCOMPARE(c.line, 4);
  QCOMPARE(c.id, id);
  QCOMPARE(QList<double>(c.numbers.begin(), c.numbers.end()), numbers);
  QCOMPARE(QString::fromStdString(c.text), text);
}

void ScriptTest::refusesLines_data() {
  QTest::addColumn<QString>("source");
  QTest::addColumn<int>("line");
  QTest::addColumn<QString>("says");
  QTest::newRow("unknown command") << "click 1\nfrobnicate 2\n" << 2 << "unknown command";
  QTest::newRow("unknown page") << "page mixer" << 1 << "page must be";
  QTest::newRow("page argument") << "page output 8" << 1 << "page argument";
  QTest::newRow("unknown tool") << "\n\ntool 336" << 3 << "335, 373, 410, 424, 512 or 602";
  QTest::newRow("id not a number") << "click abc" << 1 << "control id";
  QTest::newRow("negative id") << "click -1" << 1 << "control id";
  QTest::newRow("id too large") << "click 99999999999" << 1 << "control id";
  QTest::newRow("value not a number") << "set 5 loud" << 1 << "number";
  QTest::newRow("value infinite") << "set 5 inf" << 1 << "number";
  QTest::newRow("missing value") << "set 5" << 1 << "missing value";
  QTest::newRow("extra word") << "quit now" << 1 << "unexpected 'now'";
  QTest::newRow("short drag") << "drag 5 1 2 3" << 1 << "missing Y2";
  QTest::newRow("language") << "lang fr" << 1 << "zh or en";
  QTest::newRow("long wait") << "wait 600001" << 1 << "milliseconds";
  QTest::newRow("shot without file") << "shot" << 1 << "missing file name";
  QTest::newRow("answer") << "answer maybe" << 1 << "yes, no or cancel";
  QTest::newRow("comment glued to a word") << "quit#now" << 1 << "unknown command 'quit#now'";
  QTest::newRow("open quote") << "text 5 \"Party #2" << 1 << "missing '\"'";
  QTest::newRow("after the quote") << "file \"a.txt\" b" << 1 << "unexpected 'b'";
  QTest::newRow("only a comment as file") << "shot # later" << 1 << "missing file name";
  QTest::newRow("arrow") << "click 1051 left" << 1 << "up or down";
  QTest::newRow("NUL byte") << QString("click 1\nclick 2\0x").append(QChar(0)).append("x") << 2
                            << "NUL";
}

void ScriptTest::refusesLines() {
  QFETCH(QString, source);
  QFETCH(int, line);
  QFETCH(QString, says);
  std::vector<ScriptCommand> commands;
  ScriptError error;
  const QByteArray bytes = source.toUtf8();
  QVERIFY(!ParseScript(std::string_view(bytes.constData(), size_t(bytes.size())), &commands,
                       &error));
  QCOMPARE(error.line, line);
  QVERIFY2(QString::fromStdString(error.message).contains(says), error.message.c_str());
}

void ScriptTest::namesEveryPageAndToolWindowOfTheFactoryTables() {
  std::vector<ScriptCommand> commands;
  ScriptError error;
  for (const PageFactoryEntry& e : PageFactories()) {
    const std::string line = std::string("page ") + e.scriptName + " 2";
    QVERIFY2(ParseScript(line, &commands, &error), line.c_str());
    QCOMPARE(commands.at(0).kind, ScriptCommand::Kind::Page);
    QCOMPARE(commands.at(0).numbers, (std::vector<double>{double(int(e.kind)), 2}));
  }
  for (const ToolWindowFactoryEntry& e : ToolWindowFactories()) {
    QVERIFY(ParseScript("tool " + std::to_string(e.dialogId), &commands, &error));
    QCOMPARE(commands.at(0).id, e.dialogId);
  }
  // The refusals list the table's words.
  QVERIFY(!ParseScript("page mixer", &commands, &error));
  QCOMPARE(
      error.message,
      std::string("page must be music, effects, output, compressor, delay or room, not 'mixer'"));
  QVERIFY(!ParseScript("tool 336", &commands, &error));
  QCOMPARE(error.message, std::string("tool window id must be 335, 373, 410, 424, 512 or 602, not 336"));
}

void ScriptTest::scriptedEditsSendWhatTheMouseSends() {
  // With the mouse: the microphone volume thumb dragged to the right, the first mute ticked.
  std::vector<std::string> byMouse;
  int reached = 0;
  size_t syncFrames = 0;
  {
    Shell s;
    syncFrames = s.sent().size();
    s.clearSent();
    auto* slider = s.window->ribbon().controlAs<StepSlider>(ID_SLIDER_MICVOL);
    QVERIFY(slider);
    const int before = slider->value();
    const QPoint from = thumbCentre(slider);
    const QPoint to = from + QPoint(25, 0);
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    QTest::mouseMove(slider, to);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
    reached = slider->value();
    QVERIFY(reached != before);
    QTest::mouseClick(s.window->ribbon().control(ID_CHK_MUTE1), Qt::LeftButton);
    byMouse = s.sent();
    QVERIFY(byMouse.size() >= 2);
  }

  // The same through a script in the real program.
  const QString script = QString("# the ribbon's master controls\n"
                                 "set %1 %2\n"
                                 "click %3\n"
                                 "quit\n")
                             .arg(ID_SLIDER_MICVOL)
                             .arg(reached)
                             .arg(ID_CHK_MUTE1);
  const Run run = runProgram({"--device", "sim", "--virtual-time"}, script);
  QVERIFY2(run.exitCode == 0, qPrintable(run.err));
  QVERIFY(run.written.size() > syncFrames);
  QCOMPARE(edits(run.written, syncFrames), byMouse);
}

void ScriptTest::badLinesExitTwoNamingTheLine_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("says");
  // Read before the window opens.
  QTest::newRow("unknown command") << "wait 1\nfly 3\nquit\n"
                                   << "script.txt:2: unknown command 'fly'";
  // Found out in the window.
  QTest::newRow("unknown id") << "wait 1\n\nclick 4242\nquit\n"
                              << "script.txt:3: no control with id 4242";
  QTest::newRow("value out of range")
      << QString("set %1 100000\nquit\n").arg(ID_SLIDER_MICVOL) << "script.txt:1: 100000 is outside";
  QTest::newRow("text into a slider")
      << QString("text %1 hello\nquit\n").arg(ID_SLIDER_MICVOL) << "script.txt:1: control";
  QTest::newRow("unknown key") << QString("key %1 Hyper\nquit\n").arg(ID_SLIDER_MICVOL)
                               << "script.txt:1: unknown key 'Hyper'";
  // The EQ table's cells.
  QTest::newRow("row number cell") << "page music 0\ntext 1139 0,0 5\nquit\n"
                                   << "script.txt:2: cell 0,0 cannot be edited";
  QTest::newRow("row outside") << "page music 0\ntext 1139 10,2 1\nquit\n"
                               << "script.txt:2: cell 10,2 is outside the table (10 rows";
  QTest::newRow("type not in the list")
      << "page music 0\nlang en\ntext 1139 1,1 Notch\nquit\n"
      << "script.txt:3: 'Notch' is not in the list of cell 1,1: PEQ, LP, HP, LS, HS";
  QTest::newRow("no cell") << "page music 0\ntext 1139 -4.5\nquit\n"
                           << "script.txt:2: control 1139 is a table: text 1139 ROW,COLUMN TEXT";
  QTest::newRow("arrow of no spin box")
      << "page music 0\nclick 1139 up\nquit\n"
      << "script.txt:2: control 1139 (ax7::ui::EqTable) has no arrows";
  QTest::newRow("spin box without arrow") << "page delay\nclick 1051\nquit\n"
                                          << "script.txt:2: control 1051 is a spin box";
  QTest::newRow("EQ bypass without an EQ") << "page delay\nset 1121 1\nquit\n"
                                           << "script.txt:2: control 1121 is disabled";
}

void ScriptTest::badLinesExitTwoNamingTheLine() {
  QFETCH(QString, script);
  QFETCH(QString, says);
  const Run run = runProgram({"--device", "sim", "--virtual-time"}, script);
  QCOMPARE(run.exitCode, 2);
  QVERIFY2(run.err.contains(says), qPrintable(run.err));
}

void ScriptTest::helpAndVersionWithoutADisplay() {
  // No display and a platform that needs one: only the window would fail.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.insert("QT_QPA_PLATFORM", "xcb");
  const Run help = runProgram({"--help"}, QString(), &env);
  QCOMPARE(help.exitCode, 0);
  QVERIFY(help.out.contains("--script"));
  QVERIFY(help.out.contains("--sim-fault"));
  const Run version = runProgram({"--version"}, QString(), &env);
  QCOMPARE(version.exitCode, 0);
  QVERIFY(version.out.startsWith("ax7-control "));
  const Run wrong = runProgram({"--device", "hid", "--sim-fault", "silent"}, QString(), &env);
  QCOMPARE(wrong.exitCode, 2);
  QVERIFY2(wrong.err.contains("--sim-fault needs --device sim"), qPrintable(wrong.err));
  const Run badFault = runProgram({"--device", "sim", "--sim-fault", "late"}, QString(), &env);
  QCOMPARE(badFault.exitCode, 2);
  QVERIFY2(badFault.err.contains("--sim-fault late:"), qPrintable(badFault.err));
}

void ScriptTest::silentBoxEndsClearly() {
  // The window's synchronisation gives up on a box that never answers and says so; the script
  // runs afterwards as usual.
  const Run run =
      runProgram({"--device", "sim", "--virtual-time", "--sim-fault", "silent"}, "quit\n");
  QCOMPARE(run.exitCode, 0);
  QVERIFY2(run.err.contains("The box did not answer") || run.err.contains("设备没有应答"),
           qPrintable(run.err));
}

void ScriptTest::eqTableCellsBypassAndReset() {
  for (const int language : {0, 1}) {
    Shell s(ShellOptions().lang(language));
    s.window->ShowPage(PageKind::Music, 0);
    auto* table = s.window->pages().currentPage()->findChild<EqTable*>();
    QVERIFY(table);
    const QString shelf = language == 0 ? QString::fromUtf8("高架") : QStringLiteral("HS");
    s.clearSent();
    QVERIFY(runHere(s,
                    "text 1139 2,3 1000 # band 3\n"
                    "text 1139 2,2 -4.5\n"
                    "text 1139 2,4 2.5\n"
                    "text 1139 9,1 " +
                        shelf + "\n"));
    const BandRecord b3 = micABand(s, 2);
    QCOMPARE(b3.frequency, 1000.0f);
    QCOMPARE(b3.gainDb, -4.5f);
    QCOMPARE(b3.q, 2.5f);
    QCOMPARE(micABand(s, 9).type, 5);
    QCOMPARE(table->text(2, EqTable::kFrequencyColumn), QStringLiteral("1000Hz"));
    QCOMPARE(table->text(9, EqTable::kTypeColumn), shelf);
    QVERIFY(s.sent().size() >= 4);  // every edit went to the box
    QVERIFY(!table->isPersistentEditorOpen(table->currentIndex()));
    // The last row stays in view.
    QVERIFY(table->viewport()->rect().intersects(table->visualItemRect(table->item(9, 0))));

    // The status bar: EQ bypass on and off, then the reset (its question answered yes).
    Page* page = s.window->pages().currentPage();
    QVERIFY(runHere(s, "set 1121 1\n"));
    QVERIFY(page->IsEqBypassed());
    QVERIFY(s.window->status().eqBypass()->isChecked());
    QVERIFY(runHere(s, "click 1121\n"));
    QVERIFY(!page->IsEqBypassed());
    s.prompter.answers = {Answer::Yes};
    QVERIFY(runHere(s, "click 1122\n"));
    QCOMPARE(s.prompter.count("question"), 1);
    QVERIFY(micABand(s, 2).frequency != 1000.0f);
    QCOMPARE(micABand(s, 2).gainDb, 0.0f);

    // On the output page a low pass in the last row brings up the crossover list under the
    // table, which gets shorter: the row stays in view.
    s.window->ShowPage(PageKind::Output, 0);
    auto* outputTable = s.window->pages().currentPage()->findChild<EqTable*>();
    QVERIFY(outputTable);
    const QString lowPass = language == 0 ? QString::fromUtf8("低通") : QStringLiteral("LP");
    QVERIFY(runHere(s, "text 1139 9,1 " + lowPass + "\n"));
    QWidget* crossoverList = nullptr;
    for (auto* w : s.window->pages().currentPage()->findChildren<QWidget*>()) {
      if (w->property("ax7Id").toInt() == 1134) crossoverList = w;
    }
    QVERIFY(crossoverList && crossoverList->isVisible());
    QTRY_VERIFY(outputTable->viewport()->rect().contains(
        outputTable->visualItemRect(outputTable->item(9, 0))));
  }
}

void ScriptTest::eqExportAndImportButtons() {
  Shell s(ShellOptions().lang(1));
  s.window->ShowPage(PageKind::Music, 0);
  QVERIFY(runHere(s, "text 1139 4,3 2500\n"));
  // Export through the file dialog's answer, then import a file of another band.
  s.prompter.saveFile = s.dir.filePath("mic-a.txt");
  QVERIFY(runHere(s, "click 1136\n"));
  QFile exported(s.prompter.saveFile);
  QVERIFY(exported.open(QIODevice::ReadOnly));
  QVERIFY2(exported.readAll().contains("Fc 2500 Hz"), "band 5 exported");
  QFile other(s.dir.filePath("ParametricEQ.txt"));
  QVERIFY(other.open(QIODevice::WriteOnly));
  other.write("Filter 1: ON PK Fc 333 Hz Gain -3 dB Q 2\n");
  other.close();
  s.prompter.openFile = other.fileName();
  s.prompter.answers = {Answer::Yes};
  QVERIFY(runHere(s, "click 1135\n"));
  QCOMPARE(s.prompter.openDialogs, 1);
  QCOMPARE(micABand(s, 0).frequency, 333.0f);
  QCOMPARE(micABand(s, 0).gainDb, -3.0f);
}

void ScriptTest::spinArrows() {
  Shell s;
  s.window->ShowPage(PageKind::Delay, 0);
  QLineEdit* edit = nullptr;
  for (auto* e : s.window->pages().currentPage()->findChildren<QLineEdit*>()) {
    if (e->property("ax7Id").toInt() == DelayPage::kEditId) edit = e;
  }
  QVERIFY(edit);
  const QString before = edit->text();
  s.clearSent();
  QVERIFY(runHere(s, QString("click %1 up\nclick %1 up\n").arg(DelayPage::kSpinId)));
  auto ms = [](QString text) { return text.remove("ms").toDouble(); };
  const QString up = edit->text();
  QVERIFY2(ms(up) > ms(before), qPrintable(before + " -> " + up));
  QVERIFY(!s.sent().empty());
  QVERIFY(runHere(s, QString("click %1 down\n").arg(DelayPage::kSpinId)));
  QVERIFY2(ms(edit->text()) < ms(up), qPrintable(up + " -> " + edit->text()));
}

void ScriptTest::refusesScriptsAndTracesThatAreNoFiles_data() {
  QTest::addColumn<QString>("option");
  QTest::addColumn<QString>("file");  // "fifo" and "big" are made in the test's folder
  QTest::addColumn<int>("exitCode");
  QTest::addColumn<QString>("says");
  QTest::newRow("script /dev/zero") << "--script"
                                    << "/dev/zero" << 2 << "is a device";
  QTest::newRow("script FIFO") << "--script"
                               << "fifo" << 2 << "is a pipe (FIFO)";
  QTest::newRow("script folder") << "--script"
                                 << "/tmp" << 2 << "Is a directory";
  QTest::newRow("script over 1 MB") << "--script"
                                    << "big" << 2 << "is larger than 1048576 bytes";
  QTest::newRow("trace FIFO") << "--trace"
                              << "fifo" << 1 << "a pipe (FIFO) that nobody reads";
}

void ScriptTest::refusesScriptsAndTracesThatAreNoFiles() {
  QFETCH(QString, option);
  QFETCH(QString, file);
  QFETCH(int, exitCode);
  QFETCH(QString, says);
  QTemporaryDir dir;
  QString path = file;
  if (file == "fifo") {
    path = dir.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  } else if (file == "big") {
    path = dir.filePath("big.txt");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray line(1023, '#');
    for (int i = 0; i <= 1024; ++i) f.write(line + "\n");
  }
  // Nothing blocks and nothing is read without end: the program ends at once with the reason.
  // (With a script, so that a refused trace file is not shown in a message box.)
  QStringList args{"--device", "sim", "--virtual-time", option, path};
  if (option != "--script") {
    QFile quit(dir.filePath("quit.txt"));
    QVERIFY(quit.open(QIODevice::WriteOnly));
    quit.write("quit\n");
    args << "--script" << quit.fileName();
  }
  const Run run = runProgram(args);
  QCOMPARE(run.exitCode, exitCode);
  QVERIFY2(run.err.contains(path) && run.err.contains(says), qPrintable(run.err));
}

void ScriptTest::abSwitchRefusedSaysWhy() {
  // The snapshot folder cannot be made (its parent is a file), and the question whether to go on
  // without a snapshot is answered no: the script says that, not that A is empty.
  QTemporaryDir dir;
  QFile blocker(dir.filePath("data"));
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_DATA_HOME", blocker.fileName());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const Run run = runProgram({"--device", "sim", "--virtual-time"},
                             "ab store A\nanswer no\nab switch A\nquit\n", &env);
  QCOMPARE(run.exitCode, 2);
  QVERIFY2(run.err.contains("script.txt:3: no A/B switch: the current settings could not be kept "
                            "as a snapshot and the question was answered no"),
           qPrintable(run.err));
  QVERIFY(!run.err.contains("empty"));
}

void ScriptTest::mqttSwitchedOnByAScriptTakesCommands() {
  if (!MqttBroker::installed()) QSKIP("mosquitto is not installed");
  QTemporaryDir folder;
  MqttBroker broker(folder.path().toStdString());
  QVERIFY(broker.start());
  MqttClient c(broker.port());
  Shell s;
  RemoteAccess& remote = s.window->remote();
  remote.tokenPath = s.dir.filePath("config/token").toStdString();

  // The CA file through the file dialog, as a person chooses it; then a plain broker.
  const QString ca = folder.filePath("ca.pem");
  {
    QFile file(ca);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("-----BEGIN CERTIFICATE-----\n-----END CERTIFICATE-----\n");
  }
  s.prompter.openFile = ca;  // what the dialog returns here; `file` in the program
  QVERIFY(runHere(s, "tool 602\ntext 1007 mqtts://127.0.0.1\nclick 1010\n"));
  QCOMPARE(s.prompter.openDialogs, 1);
  QCOMPARE(remote.mqttSetting().caFile, ca);
  QVERIFY(runHere(s, QString("tool 602\ntext 1009 \"\"\ntext 1007 %1\ntext 1012 house/ax7\n"
                             "click 1006\n")
                         .arg(QString::fromStdString(broker.url()))));
  QVERIFY2(remote.isMqttOn(), qPrintable(remote.mqttError()));
  QCOMPARE(remote.mqttSetting().prefix, QString("house/ax7"));
  const auto online = [](const std::vector<MqttMessage>& all) {
    for (const MqttMessage& m : all) {
      if (m.topic == "house/ax7/SIM0001/availability" && m.payload == "online") return true;
    }
    return false;
  };
  QVERIFY(QTest::qWaitFor([&] { return c.waitFor(online, 0); }, 20000));

  // A command sends the reports the window's own edit sends.
  s.clearSent();
  c.publish("house/ax7/SIM0001/set/music.volume", "42");
  QTRY_COMPARE_WITH_TIMEOUT(s.mem().pc.getInt(size_t(Describe(Param::MusicMaster).word)), 42, 20000);
  WindowEdits w;
  w.window.SetParam(Param::MusicMaster, 42);
  QCOMPARE(s.sent(), w.frames());
}

QTEST_MAIN(ScriptTest)
#include "shell_script_qtest.moc"
