#include "pages/eq_exchange_ui.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <cmath>
#include <memory>

#include "dsp/section_type.h"
#include "eqx/eq_set.h"
#include "eqx/filters.h"
#include "eqx/mapping.h"
#include "eqx/numbers.h"
#include "graphs/eq_panel.h"
#include "pages/eq_editor.h"
#include "pages/prompter.h"
#include "params/atomic_save.h"
#include "params/file_read.h"

namespace ax7::ui {

namespace {

constexpr size_t kMaxEqFileBytes = 4 * 1024 * 1024;

const char* kImportFilter =
    "EQ (*.txt *.yml *.yaml *.json *.biquad);;"
    "Equalizer APO / AutoEq (*.txt);;REW (*.txt);;CamillaDSP (*.yml *.yaml);;"
    "Biquad (*.txt *.biquad);;JSON (*.json);;* (*)";
const char* kExportFilter =
    "Equalizer APO / AutoEq (*.txt);;REW (*.rew.txt);;CamillaDSP (*.yml);;"
    "Biquad (*.biquad.txt);;JSON (*.json)";

// The format an export path asks for, by the ending its filter gives it.
eqx::Format formatForPath(const QString& path) {
  const QString p = path.toLower();
  if (p.endsWith(".json")) return eqx::Format::Json;
  if (p.endsWith(".yml") || p.endsWith(".yaml")) return eqx::Format::CamillaDsp;
  if (p.endsWith(".biquad.txt") || p.endsWith(".biquad")) return eqx::Format::Biquad;
  if (p.endsWith(".rew.txt") || p.endsWith(".rew")) return eqx::Format::Rew;
  return eqx::Format::Apo;
}

QString num(double v, int decimals) {
  return QString::fromStdString(eqx::formatNumber(v, decimals));
}

QString statusWord(eqx::Status s, Language l) {
  switch (s) {
    case eqx::Status::Exact:
      return Pick(l, "精确", "exact");
    case eqx::Status::Approximated:
      return Pick(l, "近似", "approximated");
    case eqx::Status::Dropped:
      return Pick(l, "丢弃", "dropped");
    default:
      return Pick(l, "跳过", "skipped");
  }
}

// Chinese readers get the kind of reason; English readers the reason itself.
QString whyText(const eqx::ReportEntry& e, Language l) {
  if (l == Language::English) return QString::fromStdString(e.reason);
  switch (e.why) {
    case eqx::Why::Held:
      return QString::fromUtf8("增益、频率或 Q 已限制到频段可存的范围");
    case eqx::Why::NoSection:
      return QString::fromUtf8("本机没有这种滤波器");
    case eqx::Why::NoFreeBand:
      return QString::fromUtf8("没有空闲的频段");
    case eqx::Why::Crossover:
      return QString::fromUtf8("分频频段保持不变");
    case eqx::Why::Off:
      return QString::fromUtf8("文件中已关闭");
    case eqx::Why::OtherChannel:
      return QString::fromUtf8("属于其他声道");
    default:
      return {};
  }
}

}  // namespace

EqExchange::EqExchange(EqEditor* editor) : QWidget(editor), editor_(editor) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  import_ = new QPushButton(this);
  export_ = new QPushButton(this);
  import_->setProperty("ax7Id", kImportId);
  export_->setProperty("ax7Id", kExportId);
  row->addWidget(import_);
  row->addWidget(export_);
  connect(import_, &QPushButton::clicked, this, &EqExchange::onImport);
  connect(export_, &QPushButton::clicked, this, &EqExchange::onExport);
  setLanguage(language_);
}

EqExchange::~EqExchange() = default;

void EqExchange::setPrompter(Prompter* prompter) {
  prompter_ = prompter;
}

Prompter& EqExchange::prompter() {
  static DialogPrompter dialogs;
  return prompter_ ? *prompter_ : dialogs;
}

void EqExchange::setLanguage(Language language) {
  language_ = language;
  import_->setText(Pick(language, "导入...", "Import..."));
  export_->setText(Pick(language, "导出...", "Export..."));
}

void EqExchange::onImport() {
  const QString path = prompter().openFileName(this, QString::fromUtf8(kImportFilter));
  if (!path.isEmpty()) importFile(path);
}

void EqExchange::onExport() {
  const int set = editor_->config().eqSet;
  const QString proposed = QString::fromStdString(eqx::setName(set)) + ".txt";
  const QString path =
      prompter().saveFileName(this, QString::fromUtf8(kExportFilter), proposed, "txt");
  if (!path.isEmpty()) exportFile(path);
}

QString EqExchange::reportText(const eqx::ImportReport& r, Language l) {
  QString text = Pick(l, "精确 %1，近似 %2，丢弃 %3，跳过 %4；最大偏差 %5 dB",
                      "exact %1, approximated %2, dropped %3, skipped %4; largest deviation %5 dB")
                     .arg(r.count(eqx::Status::Exact))
                     .arg(r.count(eqx::Status::Approximated))
                     .arg(r.count(eqx::Status::Dropped))
                     .arg(r.count(eqx::Status::Skipped))
                     .arg(num(r.largestDeviationDb, 2));
  if (r.preampDb) {
    text += "\n" + Pick(l, "前级增益 %1 dB 未应用（本机 EQ 没有前级增益）",
                        "Preamp %1 dB not applied (the box has no EQ preamp)")
                       .arg(num(*r.preampDb, 2));
  }
  // Lines the reader did not take and parts of the file not applied; the notes quote the file.
  for (const std::string& note : r.notes) {
    text += "\n" + Pick(l, "说明：", "Note: ") + QString::fromStdString(note);
  }
  text += "\n";
  for (const eqx::ReportEntry& e : r.entries) {
    QString line = statusWord(e.status, l);
    if (e.band >= 0) {
      const auto name = dsp::sectionTypeName(e.type);
      line +=
          Pick(l, " → 频段 %1 %2 %3Hz %4dB Q%5", " → band %1 %2 %3Hz %4dB Q%5")
              .arg(e.band + 1)
              .arg(QString::fromUtf8(
                  l == Language::English ? name.english.data() : name.chinese.data(),
                  qsizetype(l == Language::English ? name.english.size() : name.chinese.size())))
              .arg(num(e.frequency, 0), num(e.gainDb, 1), num(e.q, 3));
    }
    if (e.status == eqx::Status::Approximated) {
      line += Pick(l, "（偏差 %1 dB）", " (deviation %1 dB)").arg(num(e.deviationDb, 2));
    }
    const QString why = whyText(e, l);
    if (!why.isEmpty()) line += (l == Language::English ? ": " : "：") + why;
    QString source = QString::fromStdString(e.source);
    if (source.size() > 60) source = source.left(60) + "...";
    line += "  [" + source + "]";
    text += "\n" + line;
  }
  text +=
      "\n\n" + (r.bandsFilled() == 0
                    ? Pick(l, "文件中没有可应用到此 EQ 的滤波器，EQ 保持不变。",
                           "No filter of the file can be applied to this EQ; it stays as it is.")
                    : Pick(l, "应用到此 EQ？", "Apply to this EQ?"));
  return text;
}

bool EqExchange::importFile(const QString& path) {
  const QString caption = Pick(language_, "导入 EQ", "Import EQ");
  const InputFile in = ReadInputFile(path.toStdString(), kMaxEqFileBytes);
  if (!in.ok || in.truncated) {
    prompter().showError(
        this, Pick(language_, "无法读取文件：\n%1", "Can't read the file:\n%1").arg(path), caption);
    return false;
  }
  const eqx::ReadResult read = eqx::readEqFile(std::string(in.bytes.begin(), in.bytes.end()), {});
  if (!read.ok) {
    prompter().showError(this,
                         Pick(language_, "无法识别的 EQ 文件：\n%1\n%2",
                              "Not an EQ file this program reads:\n%1\n%2")
                             .arg(path, QString::fromStdString(read.error)),
                         caption);
    return false;
  }
  const int set = editor_->config().eqSet;
  std::vector<BandRecord> current;
  for (int b = 0; b < EqSetBandCount(set); ++b) {
    const dsp::EqBand& band = editor_->model().band(b);
    current.push_back(eqx::asStored(band.type, band.gainDb, band.freq, band.q));
  }
  const eqx::ImportResult result = eqx::mapToSet(read.eq, set, current);
  // Nothing to apply would only flatten the set: the report is shown, with nothing to accept.
  if (result.report.bandsFilled() == 0) {
    prompter().showWarning(this, reportText(result.report, language_), caption);
    return false;
  }
  if (prompter().askYesNo(this, reportText(result.report, language_), caption) != Answer::Yes) {
    return false;
  }
  if (beforeApply_ && !beforeApply_()) return false;
  editor_->applyImportedBands(result.bands, eqx::editableBands(set));
  return true;
}

bool EqExchange::exportFile(const QString& path) {
  const int set = editor_->config().eqSet;
  std::vector<BandRecord> bands;
  for (int b = 0; b < EqSetBandCount(set); ++b) {
    const dsp::EqBand& band = editor_->model().band(b);
    bands.push_back(eqx::asStored(band.type, band.gainDb, band.freq, band.q));
  }
  const std::string text = eqx::writeEqFile(formatForPath(path), set, bands);
  const SaveOutcome saved = SaveFileAtomically(
      path.toStdString(), reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (!saved.ok) {
    prompter().showError(
        this, Pick(language_, "无法写入文件：\n%1", "Can't write to file:\n%1").arg(path),
        Pick(language_, "导出 EQ", "Export EQ"));
    return false;
  }
  return true;
}

// The editor's side: imported bands take the graph's place and go out through the host's send,
// as edits do. Only the bands a file may fill; an output's crossover band stays.
void EqEditor::applyImportedBands(const std::vector<BandRecord>& bands, int count) {
  DeselectBand();
  count = std::min<int>(count, std::min<int>(int(bands.size()), model_.markerCount()));
  for (int b = 0; b < count; ++b) {
    model_.putBand(b, bands[size_t(b)]);
    if (b < config_.tableRows) showRow(b);
    send(b);
  }
}

}  // namespace ax7::ui
