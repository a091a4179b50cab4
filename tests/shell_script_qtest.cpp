// ax7-control driven from outside: the script reader's lines and complaints, and the real
// program run with --script against the simulated box, compared frame for frame with the same
// actions made with the mouse on a window in this process.
#include <QFile>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/script_parser.h"
#include "pages/step_slider.h"
#include "shell_fixture.h"

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

}  // namespace

class ScriptTest : public QObject {
  Q_OBJECT
 private slots:
  void readsCommands_data();
  void readsCommands();
  void refusesLines_data();
  void refusesLines();
  void scriptedEditsSendWhatTheMouseSends();
  void badLinesExitTwoNamingTheLine_data();
  void badLinesExitTwoNamingTheLine();
  void helpAndVersionWithoutADisplay();
  void silentBoxEndsClearly();
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
  QTest::newRow("unknown tool") << "\n\ntool 336" << 3 << "335, 373, 410, 424 or 512";
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

QTEST_MAIN(ScriptTest)
#include "shell_script_qtest.moc"
