// ax7-control's own output that cannot be written (a full disk, /dev/full): --help, --version
// and the --trace file end with a failure and a line saying so, never with 0.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
  int exitCode = -1;
  QString err;
};

Run runProgram(const QStringList& args, const QString& stdoutFile = {}) {
  QTemporaryDir dir;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
  p.start(QString::fromUtf8(AX7_CONTROL_PATH), args);
  Run run;
  if (!p.waitForFinished(120000)) {
    p.kill();
    p.waitForFinished();
    return run;
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.err = QString::fromUtf8(p.readAllStandardError());
  return run;
}

}  // namespace

class OutputTest : public QObject {
  Q_OBJECT

 private slots:
  void fullStandardOutputFails() {
    for (const char* option : {"--help", "--version"}) {
      QCOMPARE(runProgram({option}).exitCode, 0);
      const Run full = runProgram({option}, "/dev/full");
      QCOMPARE(full.exitCode, 1);
      QVERIFY2(full.err.contains("ax7-control: cannot write standard output: No space left"),
               qPrintable(full.err));
    }
  }

  void fullTraceFails() {
    QTemporaryDir dir;
    QFile script(dir.filePath("s.txt"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("quit\n");
    script.close();
    const QStringList args = {"--device", "sim", "--virtual-time", "--script", script.fileName()};
    const Run fine = runProgram(QStringList(args) << "--trace" << dir.filePath("t.txt"));
    QCOMPARE(fine.exitCode, 0);
    const Run full = runProgram(QStringList(args) << "--trace"
                                                  << "/dev/full");
    QCOMPARE(full.exitCode, 1);
    QVERIFY2(full.err.contains("ax7-control: cannot write trace file '/dev/full': No space left"),
             qPrintable(full.err));
  }
};

QTEST_GUILESS_MAIN(OutputTest)
#include "shell_output_qtest.moc"
