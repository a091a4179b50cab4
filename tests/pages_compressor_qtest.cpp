// The compressor page: what each slider sends, the channel list, the switch and its curve, the
// navigation row's own labels, and screenshots in both languages.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <bit>
#include <cmath>

#include "core/core.h"
#include "graphs/compress_panel.h"
#include "pages/compressor_page.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/value_row.h"
#include "pages_fixture.h"

using namespace ax7::ui;
using ax7::test::frames;
using ax7::test::PageFixture;
using Field = compressor::Field;

namespace {

using ax7::test::save;

struct Comp {
  PageFixture ctx;
  std::unique_ptr<CompressorPage> page;

  explicit Comp(Language language = Language::English) : ctx(language) {
    page.reset(static_cast<CompressorPage*>(CreateCompressorPage(ctx, 0, nullptr)));
    page->resize(1024, 520);
    page->show();
  }
  ax7::ParameterMemory& mem() { return ctx.mem(); }
  std::vector<std::string> sent() {
    ctx.core().queue.waitIdle();
    auto s = ctx.sent();
    ctx.trace.clear();
    return s;
  }
  void move(Field field, int position) {
    StepSlider* s = page->row(field)->slider();
    s->setValue(position);
    emit s->userMoved(s->value());
  }
  void choose(int channel) {
    page->channelList()->setCurrentIndex(channel);
    emit page->channelList()->activated(channel);
  }
  QString text(Field field) const { return page->row(field)->valueLabel()->text(); }
  void store(int channel, float threshold, float ratio, float attack, float release) {
    mem().pc.setFloat(size_t(121 + channel), threshold);
    mem().pc.setFloat(size_t(129 + channel), ratio);
    mem().pc.setFloat(size_t(137 + channel), attack);
    mem().pc.setFloat(size_t(145 + channel), release);
  }
};

std::string floatHex(double v) {
  const uint32_t u = std::bit_cast<uint32_t>(float(v));
  return QString::asprintf("%02X %02X %02X %02X", u >> 24, (u >> 16) & 0xFF, (u >> 8) & 0xFF,
                           u & 0xFF)
      .toStdString();
}

// The channel's compressor report for the four values.
std::string report(int channel, double t, double r, double a, double rel) {
  return QString::asprintf("02 09 00 %02X 1B 07 ", 5 + channel).toStdString() + floatHex(t) +
         " 00 00 00 00 " + floatHex(1.0 - 1.0 / r) + " 41 A0 00 00 3D 4C CC CD " +
         floatHex(1.0 - std::exp(-1.0 / (a * 48.0))) + " " +
         floatHex(1.0 - std::exp(-1.0 / (rel * 48.0)));
}

}  // namespace

class CompressorPageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { ax7::test::InstallQuietSizeHints(); }
  void eachSliderSendsWithTheOtherThree_data();
  void eachSliderSendsWithTheOtherThree();
  void ratioTextsAndCurve();
  void freshMemoryNeverSendsMinusInfinity();
  void storedFloatsShowAndSendAsWritten();
  void channelListReloads();
  void switchStoresAndShowsOff();
  void valueBoxesOnlyDisplay();
  void languageKeepsTheChannelAndLabelsTheRow();
  void screenshots();
};

void CompressorPageTest::eachSliderSendsWithTheOtherThree_data() {
  QTest::addColumn<int>("field");
  QTest::addColumn<int>("position");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QList<double>>("values");
  QTest::newRow("threshold -20") << int(Field::Threshold) << -20 << "-20dB"
                                 << QList<double>{-20, 4, 10, 200};
  QTest::newRow("ratio 2.5") << int(Field::Ratio) << 25 << "2.5:1"
                             << QList<double>{-12, 2.5, 10, 200};
  QTest::newRow("attack 55") << int(Field::Attack) << 55 << "55ms"
                             << QList<double>{-12, 4, 55, 200};
  QTest::newRow("release 1000") << int(Field::Release) << 1000 << "1000ms"
                                << QList<double>{-12, 4, 10, 1000};
}

void CompressorPageTest::eachSliderSendsWithTheOtherThree() {
  QFETCH(int, field);
  QFETCH(int, position);
  QFETCH(QString, text);
  QFETCH(QList<double>, values);
  Comp c;
  c.store(0, -12, 4, 10, 200);
  c.page->RefreshAll();
  c.sent();
  c.move(Field(field), position);
  QCOMPARE(c.text(Field(field)), text);
  QCOMPARE(c.sent(), frames({report(0, values[0], values[1], values[2], values[3])}));
  for (int i = 0; i < 4; ++i) QCOMPARE(double(c.mem().pc.getFloat(size_t(121 + 8 * i))), values[i]);
}

void CompressorPageTest::ratioTextsAndCurve() {
  Comp c;
  c.move(Field::Ratio, 10);
  QCOMPARE(c.text(Field::Ratio), QString("1.0:1"));
  QCOMPARE(c.page->graph()->curve().slope, 1.0f);
  c.move(Field::Ratio, 300);
  QCOMPARE(c.text(Field::Ratio), QString("30.0:1"));
  QCOMPARE(c.page->graph()->curve().slope, float(1.0 / 30.0));
  c.move(Field::Threshold, -33);
  QCOMPARE(c.page->graph()->curve().threshold, -33.0f);
  // Only threshold and ratio shape the curve: the knee is at the bottom with slope 1.
  QCOMPARE(c.page->graph()->curve().knee, -90.0f);
  QCOMPARE(c.page->graph()->curve().lowerSlope, 1.0f);
}

void CompressorPageTest::freshMemoryNeverSendsMinusInfinity() {
  Comp c;
  c.store(0, 0, 0, 0, 0);  // as before a synchronisation
  c.page->RefreshAll();
  QCOMPARE(c.text(Field::Ratio), QString("1.0:1"));
  QCOMPARE(c.text(Field::Attack), QString("1ms"));
  c.sent();
  c.move(Field::Threshold, -20);
  QCOMPARE(c.sent(), frames({report(0, -20, 1, 1, 1)}));
  QCOMPARE(c.mem().pc.getFloat(129), 1.0f);
}

void CompressorPageTest::storedFloatsShowAndSendAsWritten() {
  // What 500 ms, 10 ms, 3:1 and -20 dB become after a trip through a float (a mode file, the
  // box): the texts and sliders show the values as written, and a move sends them back so.
  const float release = std::nextafter(500.0f, 0.0f);  // 499.999969
  const float attack = std::nextafter(10.0f, 0.0f);
  const float ratio = std::nextafter(3.0f, 0.0f);
  const float threshold = std::nextafter(-20.0f, 0.0f);
  for (Language language : {Language::Chinese, Language::English}) {
    Comp c(language);
    c.store(0, threshold, ratio, attack, release);
    c.page->RefreshAll();
    QCOMPARE(c.text(Field::Release), QString("500ms"));
    QCOMPARE(c.text(Field::Attack), QString("10ms"));
    QCOMPARE(c.text(Field::Ratio), QString("3.0:1"));
    QCOMPARE(c.text(Field::Threshold), QString("-20dB"));
    QCOMPARE(c.page->row(Field::Release)->position(), 500);
    QCOMPARE(c.page->row(Field::Attack)->position(), 10);
    QCOMPARE(c.page->row(Field::Ratio)->position(), 30);
    QCOMPARE(c.page->row(Field::Threshold)->position(), -20);
    save(*c.page,
         QString("compressor_page_500ms_") + (language == Language::Chinese ? "zh" : "en"));
    c.sent();
    c.move(Field::Threshold, -21);
    QCOMPARE(c.sent(), frames({report(0, -21, ratio, 10, 500)}));
  }
}

void CompressorPageTest::channelListReloads() {
  Comp c;
  c.store(4, -42, 12.5f, 30, 640);
  c.mem().pc.setInt(117, 1);
  c.choose(4);
  QCOMPARE(c.page->channel(), 4);
  QCOMPARE(c.page->row(Field::Threshold)->position(), -42);
  QCOMPARE(c.page->row(Field::Ratio)->position(), 125);
  QCOMPARE(c.page->row(Field::Attack)->position(), 30);
  QCOMPARE(c.page->row(Field::Release)->position(), 640);
  QCOMPARE(c.text(Field::Ratio), QString("12.5:1"));
  QVERIFY(!c.page->onBox()->isChecked());
  QVERIFY(!c.page->graph()->isOn());
  c.sent();
  c.move(Field::Attack, 31);
  QCOMPARE(c.sent(), frames({report(4, -42, 12.5, 31, 640)}));
}

void CompressorPageTest::switchStoresAndShowsOff() {
  Comp c;
  c.choose(2);
  c.mem().pc.setInt(115, 0);
  c.page->RefreshAll();
  QVERIFY(c.page->onBox()->isChecked());
  c.sent();
  c.page->onBox()->click();
  QCOMPARE(c.mem().pc.getInt(115), 1);
  QVERIFY(!c.page->graph()->isOn());
  QCOMPARE(c.sent(), frames({"02 09 00 07 1C 01 00 00 00 01"}));
  c.page->onBox()->click();
  QCOMPARE(c.mem().pc.getInt(115), 0);
  QVERIFY(c.page->graph()->isOn());
  QCOMPARE(c.sent(), frames({"02 09 00 07 1C 01 00 00 00 00"}));
}

void CompressorPageTest::valueBoxesOnlyDisplay() {
  Comp c;
  for (Field f : {Field::Threshold, Field::Ratio, Field::Attack, Field::Release}) {
    QLabel* box = c.page->row(f)->valueLabel();
    QCOMPARE(box->textInteractionFlags(), Qt::NoTextInteraction);
    QVERIFY(!box->findChild<QLineEdit*>());
  }
}

void CompressorPageTest::languageKeepsTheChannelAndLabelsTheRow() {
  Comp c(Language::Chinese);
  c.choose(6);
  QCOMPARE(c.page->channelList()->currentText(), QString::fromUtf8("通道7"));
  QCOMPARE(c.page->onBox()->text(), QString::fromUtf8("压限启用"));
  c.ctx.setLanguage(Language::English);
  c.page->ApplyLanguage();
  QCOMPARE(c.page->channelList()->currentText(), QString("CH 7"));
  QCOMPARE(c.page->channelList()->count(), 8);
  QCOMPARE(c.page->onBox()->text(), QString("Comp ON"));
  QCOMPARE(c.page->row(Field::Ratio)->title()->text(), QString("Ratio"));
  struct Label {
    int id;
    const char* en;
  };
  // The row's buttons carry this page's own names; 6..8 keep their template texts.
  const Label labels[] = {{1069, "Main"},  {1070, "Center"},   {1071, "Sub"},
                          {1072, "Rear"},  {1073, "Location"}, {1074, "Delay"},
                          {1075, "Comp"},  {1076, "Top"},      {1077, "通道6"},
                          {1078, "通道7"}, {1079, "通道8"}};
  for (const Label& l : labels) {
    QCOMPARE(c.page->navRow()->button(l.id)->text(), QString::fromUtf8(l.en));
  }
  QVERIFY(c.page->navRow()->button(OutputNavRow::kCompressor)->isChecked());
  c.ctx.setLanguage(Language::Chinese);
  c.page->ApplyLanguage();
  QCOMPARE(c.page->navRow()->button(1075)->text(), QString::fromUtf8("压限"));
  QCOMPARE(c.page->row(Field::Release)->title()->text(), QString::fromUtf8("释放时间"));
}

void CompressorPageTest::screenshots() {
  for (Language language : {Language::Chinese, Language::English}) {
    const QString tag = language == Language::Chinese ? "zh" : "en";
    Comp c(language);
    c.store(0, -12, 4, 10, 200);
    c.mem().pc.setInt(113, 0);
    c.page->RefreshAll();
    c.move(Field::Threshold, -20);
    c.move(Field::Ratio, 40);
    save(*c.page, "compressor_page_" + tag);
    if (language == Language::Chinese) {
      AX7_VERIFY_SHOWN(*c.page, "压限启用", "阀(阈)", "-20dB", "衰减比例", "4.0:1", "启动时间", "10ms",
                       "释放时间", "200ms", "通道1", "通道8");
    } else {
      AX7_VERIFY_SHOWN(*c.page, "Comp ON", "Threshold", "-20dB", "Ratio", "4.0:1", "Attack time",
                       "10ms", "Release time", "200ms", "Main", "Top", "通道8");
    }
    QVERIFY(c.page->graph()->isOn());
    c.page->onBox()->click();
    save(*c.page, "compressor_page_off_" + tag);
    // Off: the curve gives way to the word, the values stay as they were.
    QVERIFY(!c.page->onBox()->isChecked());
    QVERIFY(!c.page->graph()->isOn());
    AX7_VERIFY_SHOWN(*c.page, "-20dB", "4.0:1", "10ms", "200ms");
  }
}

QTEST_MAIN(CompressorPageTest)
#include "pages_compressor_qtest.moc"
