// The connection lifecycle against the simulated box: first connect, status requests, unplug
// and replug, the model and protocol checks after a synchronisation, and what the user is told
// when a box cannot be opened.
#include <QLabel>
#include <QTest>

#include "shell/balloon.h"
#include "shell/connection.h"
#include "shell/ribbon.h"
#include "shell/ribbon_ids.h"
#include "shell/status_panes.h"
#include "shell/tool_windows.h"
#include "shell_fixture.h"

using namespace ax7;
using namespace ax7::ui;
using namespace ax7::test;

namespace {

// A box is there, but this user may not open it (no udev rule).
class NoPermissionBackend : public HidBackend {
 public:
  std::vector<HidInterfaceInfo> enumerate() override {
    return {{"/dev/hidraw3", kBoxVendorId, kBoxProductId, true, ""}};
  }
  std::unique_ptr<HidDevice> open(const std::string&, OpenError* error) override {
    if (error) *error = OpenError::PermissionDenied;
    return nullptr;
  }
  void setHotplugHandler(HotplugHandler) override {}
};

bool anyRequest(const std::vector<std::string>& frames, const char* prefix) {
  for (const auto& f : frames)
    if (f.rfind(prefix, 0) == 0) return true;
  return false;
}

}  // namespace

class ConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  void firstConnectSynchronisesAndPolls();
  void microphoneLabelsFromOneSnapshot();
  void unplugAndReplug();
  void modelAndProtocolChecks_data();
  void modelAndProtocolChecks();
  void rejectionErrorShownOnce();
  void unplugDuringSynchronisationIsNoModelError();
  void permissionAdviceOnceAbsentBoxSilent();
};

void ConnectionTest::firstConnectSynchronisesAndPolls() {
  Shell s;
  QVERIFY(s.boxOpen());
  QCOMPARE(QString::fromStdU16String(s.mem().dev.g_szModule.get()), QString("AX7"));
  Balloon& balloon = s.window->balloon();
  QVERIFY(balloon.showing());
  QCOMPARE(balloon.text(), QString::fromUtf8("设备已连接，同步中……"));
  QCOMPARE(balloon.title(), QString::fromUtf8("信息"));
  QVERIFY(balloon.remainingMs() > 4500 && balloon.remainingMs() < 5500);
  s.window->updateUi();
  QCOMPARE(s.window->status().usbPane()->text(), QString::fromUtf8("USB：已连接"));
  QCOMPARE(s.window->status().usbPane()->textColor(), QColor(0x00, 0x96, 0x00));

  Connection& c = s.window->connection();
  QVERIFY(c.statusTimerActive());
  s.clearSent();
  c.statusTick();
  QCOMPARE(s.sent(), frames({"02 0E"}));
  // The hidden Peak option of the About box stops the request.
  s.state->peakOption = false;
  s.clearSent();
  c.statusTick();
  QVERIFY(s.sent().empty());
}

void ConnectionTest::microphoneLabelsFromOneSnapshot() {
  Shell s(ShellOptions().lang(1).noConnect());
  struct Case {
    uint8_t rf;
    const char* bars;
  };
  for (const Case& c : {Case{231, "■■■■■"}, Case{230, "■■■■__"}}) {
    s.mem().dev.g_liveStatus.set(8, c.rf);
    s.mem().dev.g_liveStatus.set(9, 13);
    s.mem().dev.g_liveStatus.set(10, 0);
    s.window->updateUi();
    const QString rf = QString::fromUtf8("RF:%1 AF:■■■■■").arg(QString::fromUtf8(c.bars));
    for (int id : {ID_LABEL_MIC1_RF, ID_LABEL_MIC1_RF_OUT})
      QCOMPARE(s.window->ribbon().controlAs<QLabel>(id)->text(), rf);
  }
  QCOMPARE(s.window->ribbon().controlAs<QLabel>(ID_LABEL_MIC1_FREQ)->text(),
           QString("Freq:665.25MHz"));
  QCOMPARE(s.window->ribbon().controlAs<QLabel>(ID_LABEL_MIC2_BATTERY_OUT)->text(),
           QString("Battary: _________"));
}

void ConnectionTest::unplugAndReplug() {
  Shell s;
  Connection& c = s.window->connection();
  // Other devices come and go without effect.
  c.deviceRemoved("/dev/hidraw7");
  QVERIFY(s.boxOpen());
  s.clearSent();
  c.deviceArrived("/dev/hidraw7");
  QVERIFY(s.sent().empty());

  s.window->tools().open(kMachineSettingsWindow);
  s.backend.unplug();
  QTRY_VERIFY(!s.boxOpen());
  QCOMPARE(s.window->balloon().text(), QString::fromUtf8("设备已断开!"));
  QVERIFY(!c.statusTimerActive());
  s.window->updateUi();
  QCOMPARE(s.window->status().usbPane()->text(), QString::fromUtf8("USB：未连接"));
  QCOMPARE(s.window->status().usbPane()->textColor(), QColor(0xDC, 0x00, 0x00));

  s.clearSent();
  s.backend.plug();
  QTRY_VERIFY(s.boxOpen() && c.statusTimerActive());
  QVERIFY(containsFrame(s.sent(), "02 80"));
  QCOMPARE(s.window->balloon().text(), QString::fromUtf8("设备已连接，同步中……"));
  // 4000 ms rather than the 5000 of the first attempt (coarse timers may add 5 %).
  QVERIFY(s.window->balloon().remainingMs() > 3000 && s.window->balloon().remainingMs() < 4500);
  QVERIFY(s.window->tools().window(kMachineSettingsWindow) == nullptr);

  // The removal compares the path without regard to case.
  c.deviceRemoved("SIM:AX7-0");
  QVERIFY(!s.boxOpen());
}

void ConnectionTest::modelAndProtocolChecks_data() {
  QTest::addColumn<QString>("model");
  QTest::addColumn<int>("version");
  QTest::addColumn<QString>("error");  // empty: accepted
  // In English, as the window runs below (the Chinese texts are ax7ctl's as well).
  const QString model = "The box's model does not match this program!";
  const QString version =
      "The box speaks another protocol version; use the program that came with it!";
  QTest::newRow("AX7, 17") << "AX7" << 17 << QString();
  QTest::newRow("ax7 in lower case") << "ax7" << 17 << QString();
  QTest::newRow("extra character") << "AX7X" << 17 << model;
  QTest::newRow("another model") << "AX8" << 17 << model;
  QTest::newRow("protocol 16") << "AX7" << 16 << version;
  // An empty name is a wrong model, not silence: the box did answer.
  QTest::newRow("empty model name") << "" << 17 << model;
}

void ConnectionTest::modelAndProtocolChecks() {
  QFETCH(QString, model);
  QFETCH(int, version);
  QFETCH(QString, error);
  sim::SimFaults faults;
  faults.model = model.toStdString();
  faults.version = version;
  Shell s(ShellOptions().lang(1).withFaults(faults));

  if (error.isEmpty()) {
    QVERIFY(s.boxOpen());
    QCOMPARE(s.prompter.count("error"), 0);
    QVERIFY(anyRequest(s.sent(), "02 0A"));
    return;
  }
  QVERIFY(!s.boxOpen());
  QVERIFY(!s.window->connection().statusTimerActive());
  QCOMPARE(s.sent().back(), frameHex(parseFrame("02 8A")));
  QCOMPARE(s.prompter.count("error"), 1);
  QCOMPARE(s.prompter.shown.back().text, error);
  QCOMPARE(s.prompter.shown.back().caption, QString("Error"));
  // A rejected box is not read any further.
  QVERIFY(!anyRequest(s.sent(), "02 0A"));
}

void ConnectionTest::rejectionErrorShownOnce() {
  sim::SimFaults faults;
  faults.model = "AX8";
  Shell s(ShellOptions().withFaults(faults).noConnect());
  // While the first error box is open another synchronisation of the wrong box ends.
  bool again = true;
  s.prompter.onShown = [&](const ScriptedPrompter::Shown& shown) {
    if (shown.kind != "error" || !std::exchange(again, false)) return;
    QVERIFY(s.core().link.OpenUsbDevice(s.core().notifier));
    s.window->connection().syncFinished(0);
  };
  s.connect();
  QCOMPARE(s.prompter.count("error"), 1);
  QVERIFY(!again);
  QVERIFY(!s.boxOpen());
  QVERIFY(s.state->errorBoxAllowed);
}

void ConnectionTest::unplugDuringSynchronisationIsNoModelError() {
  sim::SimFaults faults;
  faults.unplugAfter = 1;  // gone during the identification requests
  Shell s(ShellOptions().withFaults(faults).noConnect());
  s.state->pendingBoxMode = 2;
  s.connect();
  QTRY_VERIFY(!s.boxOpen());
  QCOMPARE(s.prompter.count("error"), 0);
  QCOMPARE(s.state->pendingBoxMode, -1);
  QVERIFY(!containsFrame(s.sent(), "02 03 02"));
}

void ConnectionTest::permissionAdviceOnceAbsentBoxSilent() {
  {
    NoPermissionBackend noPermission;
    Shell s(ShellOptions().lang(1).noConnect().withBackend(&noPermission));
    s.connect();
    s.window->connection().deviceArrived("/dev/hidraw3");
    QVERIFY(!s.boxOpen());
    QCOMPARE(s.prompter.count("warning"), 1);
    QVERIFY(s.prompter.shown.back().text.contains("udevadm control --reload-rules"));
  }
  Shell s(ShellOptions().noConnect());
  s.backend.unplug();
  s.connect();
  QVERIFY(!s.boxOpen());
  QVERIFY(s.prompter.shown.empty());
  QVERIFY(!s.window->balloon().showing());
}

QTEST_MAIN(ConnectionTest)
#include "shell_connection_qtest.moc"
