// Import and export in the EQ editor: the report comes first, bands are applied only on Yes
// and go out through the host's band send; an output's crossover band stays as it is.
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "graphs/eq_panel.h"
#include "pages/eq_editor.h"
#include "pages/eq_exchange_ui.h"
#include "pages/eq_table.h"
#include "pages_fixture.h"
#include "params/band_record.h"
#include "params/defaults.h"

using ax7::ParameterMemory;
using ax7::test::PagePrompter;
using ax7::ui::Answer;
using ax7::ui::EqCopySource;
using ax7::ui::EqEditor;
using ax7::ui::EqEditorConfig;
using ax7::ui::Language;

namespace {

struct Sent {
  int record, type;
  float gain;
  int freq;
  float q;
};

QString data(const char* name) {
  return QString::fromUtf8(AX7_TEST_DATA_DIR) + "/eqx/" + name;
}

struct Harness {
  ParameterMemory mem;
  EqCopySource copy;
  PagePrompter prompts;
  std::vector<Sent> sent;
  std::unique_ptr<EqEditor> editor;

  explicit Harness(int set, Language language = Language::English) {
    ax7::InitParameterMemory(mem);
    editor = std::make_unique<EqEditor>(mem, copy);
    EqEditorConfig c;
    c.eqSet = set;
    const int n = ax7::EqSetBandCount(set);
    c.records = c.bandCount = n;
    c.tableRows = n == 13 ? 10 : n;
    if (n == 13) c.typeOperation = EqEditorConfig::TypeOperation::kChooseBandType;
    c.sendBand = [this](int r, int t, float g, int f, float q) { sent.push_back({r, t, g, f, q}); };
    editor->configure(std::move(c));
    editor->setLanguage(language);
    editor->exchange()->setPrompter(&prompts);
    editor->resize(1000, 400);
    editor->show();
    editor->LoadEq();
  }
  const ax7::dsp::EqBand& band(int b) const { return editor->model().band(b); }
  void clickImport(const QString& path) {
    prompts.openFile = path;
    QTest::mouseClick(editor->exchange()->importButton(), Qt::LeftButton);
  }
  void clickExport(const QString& path) {
    prompts.saveFile = path;
    QTest::mouseClick(editor->exchange()->exportButton(), Qt::LeftButton);
  }
};

}  // namespace

class EqExchangeTest : public QObject {
  Q_OBJECT
 private slots:
  void importShowsTheReportThenSendsEveryBandLikeAnEdit() {
    Harness h(0);
    h.clickImport(data("autoeq_hd650_ParametricEQ.txt"));
    QCOMPARE(h.prompts.shown.size(), size_t(1));
    const QString question = h.prompts.shown[0];
    QVERIFY2(question.contains("exact 10, approximated 0, dropped 0, skipped 0"),
             qPrintable(question));
    QVERIFY(question.contains("Preamp -6.1 dB not applied"));
    QVERIFY(question.contains("band 1 LS 105Hz 6.4dB Q0.7"));
    QCOMPARE(h.sent.size(), size_t(10));
    QCOMPARE(h.sent[0].record, 0);
    QCOMPARE(h.sent[0].type, 4);
    QCOMPARE(h.sent[0].freq, 105);
    QCOMPARE(h.sent[0].gain, 6.4f);
    QCOMPARE(h.sent[9].freq, 5332);
    QCOMPARE(h.sent[9].q, 5.75f);
    QCOMPARE(h.band(5).type, 5);
    QCOMPARE(h.band(5).freq, 10000.0f);
    QCOMPARE(h.editor->table()->text(1, 3), QString("8800Hz"));
    // For review: the buttons under the table, the imported curve on the graph.
    QDir().mkpath(QStringLiteral(AX7_SCREENSHOT_DIR));
    QVERIFY(h.editor->grab().save(QStringLiteral(AX7_SCREENSHOT_DIR "/eq_exchange_import.png")));
  }

  void answeringNoChangesNothing() {
    Harness h(4);
    const float before = h.band(0).freq;
    h.prompts.answers.push_back(Answer::No);
    h.clickImport(data("autoeq_hd650_ParametricEQ.txt"));
    QVERIFY(h.prompts.shown[0].contains("no free band left"));  // 10 filters, 7 bands
    QVERIFY(h.sent.empty());
    QCOMPARE(h.band(0).freq, before);
  }

  void anOutputKeepsItsCrossoverBand() {
    Harness h(7);
    std::vector<int> types;
    for (int b = 9; b < 13; ++b) types.push_back(h.band(b).type);
    h.clickImport(data("rew_v5313_generic_trailing_block.txt"));
    QCOMPARE(h.sent.size(), size_t(9));
    for (const Sent& s : h.sent) QVERIFY(s.record < 9);
    for (int b = 9; b < 13; ++b) QCOMPARE(h.band(b).type, types[size_t(b - 9)]);
    QVERIFY(h.prompts.shown[0].contains("dropped 11"));
  }

  // A file with nothing a band can hold shows its report and offers nothing to apply.
  void aFileWithNothingToApplyOnlyShowsItsReport() {
    for (Language l : {Language::English, Language::Chinese}) {
      Harness h(6, l);
      const float before = h.band(0).freq;
      h.clickImport(data("autoeq_GraphicEQ.txt"));
      QCOMPARE(h.prompts.shown.size(), size_t(1));
      QVERIFY2(
          h.prompts.shown[0].endsWith(l == Language::English ? QString("it stays as it is.")
                                                             : QString::fromUtf8("EQ 保持不变。")),
          qPrintable(h.prompts.shown[0]));
      QVERIFY(h.sent.empty());
      QCOMPARE(h.band(0).freq, before);
      // The box as a person sees it.
      QMessageBox box(QMessageBox::Warning, "EQ", h.prompts.shown[0], QMessageBox::Ok);
      box.show();
      QVERIFY(box.grab().save(QString(AX7_SCREENSHOT_DIR "/eq_exchange_nothing_%1.png")
                                  .arg(l == Language::English ? "en" : "zh")));
    }
  }

  void anUnreadableFileIsAnErrorAndNothingElse() {
    QTemporaryDir dir;
    Harness h(6, Language::Chinese);
    const QString junk = dir.filePath("junk.txt");
    {
      QFile f(junk);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("hello\n");
    }
    h.clickImport(junk);
    h.clickImport(dir.filePath("missing.txt"));
    QCOMPARE(h.prompts.shown.size(), size_t(2));
    QVERIFY(h.prompts.shown[0].startsWith(QString::fromUtf8("无法识别的 EQ 文件")));
    QVERIFY(h.prompts.shown[1].startsWith(QString::fromUtf8("无法读取文件")));
    QVERIFY(h.sent.empty());
  }

  void exportThenImportGivesTheSameBandsInEveryFormat() {
    QTemporaryDir dir;
    Harness source(7);
    source.clickImport(data("autoeq_hd650_ParametricEQ.txt"));  // 9 of its 10 filters fit
    for (const char* name : {"a.txt", "b.rew.txt", "c.yml", "d.biquad.txt", "e.json"}) {
      source.clickExport(dir.filePath(name));
      QVERIFY2(QFile::exists(dir.filePath(name)), name);
      Harness target(7);
      target.clickImport(dir.filePath(name));
      QVERIFY2(target.prompts.shown.at(0).contains("approximated 0, dropped 0"),
               qPrintable(target.prompts.shown.at(0)));
      for (int b = 0; b < 13; ++b) {
        QCOMPARE(target.band(b).type, source.band(b).type);
        QCOMPARE(target.band(b).freq, source.band(b).freq);
        QCOMPARE(target.band(b).gainDb, source.band(b).gainDb);
        QCOMPARE(target.band(b).q, source.band(b).q);
      }
    }
  }

  void textsInBothLanguages() {
    Harness h(0, Language::Chinese);
    QCOMPARE(h.editor->exchange()->importButton()->text(), QString::fromUtf8("导入..."));
    QCOMPARE(h.editor->exchange()->exportButton()->text(), QString::fromUtf8("导出..."));
    h.prompts.answers.push_back(Answer::No);
    h.clickImport(data("autoeq_er4xr_ParametricEQ.txt"));
    const QString q = h.prompts.shown.at(0);
    QVERIFY2(q.contains(QString::fromUtf8("精确 9，近似 1")), qPrintable(q));
    QVERIFY(q.contains(QString::fromUtf8("增益、频率或 Q 已限制")));
    h.editor->setLanguage(Language::English);
    QCOMPARE(h.editor->exchange()->importButton()->text(), QString("Import..."));
    QCOMPARE(h.editor->exchange()->exportButton()->text(), QString("Export..."));
  }
};

QTEST_MAIN(EqExchangeTest)
#include "pages_eqexchange_qtest.moc"
