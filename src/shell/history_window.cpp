#include "shell/history_window.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/core.h"
#include "history/setting_names.h"
#include "pages/prompter.h"
#include "shell/history_texts.h"
#include "shell/settings_history.h"

namespace ax7::ui {

namespace tx = history_text;

namespace {

constexpr int kRefreshDelayMs = 250;

QString joinNames(const std::vector<history::Difference>& diffs, history::DiffLanguage language) {
  QStringList names;
  for (size_t i = 0; i < diffs.size() && i < size_t(kHistoryNamesShown); ++i) {
    names << QString::fromStdString(history::NameOf(diffs[i], language));
  }
  QString text = names.join(QStringLiteral(", "));
  if (diffs.size() > size_t(kHistoryNamesShown)) text += QStringLiteral(", …");
  return text;
}

}  // namespace

HistoryWindow::HistoryWindow(PageContext& context, SettingsHistory& history, QWidget* parent)
    : ToolWindow(context, kHistoryWindow, parent), history_(history) {
  setObjectName(QStringLiteral("historyWindow"));
  openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  auto* layout = new QVBoxLayout(this);
  folderLabel_ = new QLabel(this);
  folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  folderLabel_->setWordWrap(true);
  layout->addWidget(folderLabel_);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("historyList"));
  list_->setColumnCount(4);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->header()->setStretchLastSection(true);
  list_->setMinimumSize(760, 320);
  layout->addWidget(list_, 1);

  auto* buttons = new QHBoxLayout;
  restore_ = new QPushButton(this);
  restore_->setObjectName(QStringLiteral("historyRestore"));
  folder_ = new QPushButton(this);
  folder_->setObjectName(QStringLiteral("historyFolder"));
  close_ = new QPushButton(this);
  for (QPushButton* b : {restore_, folder_, close_}) b->setAutoDefault(false);
  buttons->addWidget(restore_);
  buttons->addWidget(folder_);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  layout->addLayout(buttons);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, &HistoryWindow::updateButtons);
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { restoreRow(list_->indexOfTopLevelItem(item)); });
  connect(restore_, &QPushButton::clicked, this, [this] {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty()) restoreRow(list_->indexOfTopLevelItem(selected.front()));
  });
  connect(folder_, &QPushButton::clicked, this, &HistoryWindow::openFolder);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  refreshTimer_.setSingleShot(true);
  refreshTimer_.setInterval(kRefreshDelayMs);
  connect(&refreshTimer_, &QTimer::timeout, this, [this] {
    if (isVisible()) RefreshAll();
  });
  connect(&history_, &SettingsHistory::changed, this, [this] {
    if (isVisible() && !refreshTimer_.isActive()) refreshTimer_.start();
  });
  RefreshAll();
  ApplyLanguage();
}

void HistoryWindow::RefreshAll() {
  snapshots_ = history_.store().list();
  const history::SettingsImage now = history::ImageOf(context().core().mem);
  rows_.assign(snapshots_.size(), {});
  std::map<std::string, history::SettingsImage> kept;
  for (size_t i = 0; i < snapshots_.size(); ++i) {
    const std::string& path = snapshots_[i].path;
    auto it = images_.find(path);
    if (it == images_.end()) {
      history::SettingsImage image;
      if (!history_.store().read(snapshots_[i], image)) continue;
      it = images_.emplace(path, std::move(image)).first;
    }
    const history::SettingsImage& image = kept.emplace(path, std::move(it->second)).first->second;
    const std::vector<history::Difference> diffs = history::DiffImages(image, now);
    rows_[i].count = int(diffs.size());
    rows_[i].namesZh = joinNames(diffs, history::DiffLanguage::Chinese);
    rows_[i].namesEn = joinNames(diffs, history::DiffLanguage::English);
  }
  images_ = std::move(kept);  // snapshots rotated away are forgotten
  fillRows();
}

void HistoryWindow::fillRows() {
  const int selected = list_->selectedItems().isEmpty()
                           ? -1
                           : list_->indexOfTopLevelItem(list_->selectedItems().front());
  list_->clear();
  const bool english = context().language() == Language::English;
  const auto language = english ? history::DiffLanguage::English : history::DiffLanguage::Chinese;
  for (size_t i = 0; i < snapshots_.size(); ++i) {
    const history::Snapshot& s = snapshots_[i];
    const RowInfo& info = rows_[i];
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QDateTime::fromMSecsSinceEpoch(s.unixMs)
                         .toLocalTime()
                         .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    item->setText(1, QString::fromStdString(history::ReasonText(s.reason, language)));
    if (info.count < 0) {
      item->setText(2, QStringLiteral("-"));
      item->setText(3, context().text(tx::kUnreadable));
    } else {
      item->setText(2, QString::number(info.count));
      item->setText(3, info.count == 0 ? context().text(tx::kSameAsNow)
                                       : english ? info.namesEn : info.namesZh);
    }
    item->setToolTip(3, QString::fromStdString(s.path));
  }
  if (selected >= 0 && selected < list_->topLevelItemCount()) {
    list_->topLevelItem(selected)->setSelected(true);
  }
  for (int c = 0; c < 3; ++c) list_->resizeColumnToContents(c);
  updateButtons();
}

void HistoryWindow::ApplyLanguage() {
  ToolWindow::ApplyLanguage();
  setWindowTitle(context().text(tx::kHistoryTitle));
  list_->setHeaderLabels({context().text(tx::kColumnTime), context().text(tx::kColumnReason),
                          context().text(tx::kColumnCount), context().text(tx::kColumnNames)});
  restore_->setText(context().text(tx::kRestore));
  folder_->setText(context().text(tx::kOpenFolder));
  close_->setText(context().text(tx::kClose));
  fillRows();
}

void HistoryWindow::updateButtons() {
  const QString dir = QDir::toNativeSeparators(QString::fromStdString(history_.store().dir()));
  folderLabel_->setText(snapshots_.empty() ? context().text(tx::kHistoryEmpty) + QStringLiteral("\n") +
                                                 context().text(tx::kHistoryFolder).arg(dir)
                                           : context().text(tx::kHistoryFolder).arg(dir));
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  bool restorable = false;
  if (!selected.isEmpty()) {
    const int row = list_->indexOfTopLevelItem(selected.front());
    // Nothing to write for a snapshot equal to now, and nothing to read from a broken one.
    restorable = row >= 0 && size_t(row) < rows_.size() && rows_[size_t(row)].count > 0;
  }
  restore_->setEnabled(restorable);
}

bool HistoryWindow::restoreRow(int row) {
  if (row < 0 || size_t(row) >= snapshots_.size()) return false;
  const history::Snapshot snapshot = snapshots_[size_t(row)];
  int sent = -1;
  if (!runNested([&] { sent = history_.restore(snapshot); })) return false;
  RefreshAll();
  return sent >= 0;
}

bool HistoryWindow::openFolder() {
  const QString dir = QString::fromStdString(history_.store().dir());
  // A folder that does not exist yet (no snapshot so far) is made, so the file manager opens.
  QDir().mkpath(dir);
  if (openUrl && openUrl(QUrl::fromLocalFile(dir))) return true;
  context().prompter().showWarning(this, context().text(tx::kCannotOpenFolder).arg(dir),
                                   context().text(tx::kHistoryTitle));
  return false;
}

}  // namespace ax7::ui
