#include "pages/output_delays_page.h"

#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "pages/page_factory.h"
#include "pages/typed_number.h"

namespace ax7::ui {

namespace {

float clampDelay(double ms) {
  if (!std::isfinite(ms)) return OutputDelaysPage::kMinMs;
  return float(std::clamp(ms, double(OutputDelaysPage::kMinMs), double(OutputDelaysPage::kMaxMs)));
}

float storedDelay(PageContext& context, int channel) {
  return context.core().mem.pc.getFloat(size_t(Describe(Param::ChannelDelay).wordOf(channel)));
}

}  // namespace

OutputDelaysPage::OutputDelaysPage(PageContext& context, QWidget* parent)
    : Page(context, PageKind::OutputDelays, parent) {
  title_ = new QLabel(QString::fromUtf8("输出延时"), this);
  title_->setProperty("ax7Id", kTitleId);
  table_ = new QTableWidget(kChannels, 2, this);
  table_->setProperty("ax7Id", kTableId);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  for (int k = 0; k < kChannels; ++k) {
    auto* name = new QTableWidgetItem;
    name->setFlags(Qt::ItemIsEnabled);  // the channel names are not edited
    table_->setItem(k, 0, name);
    table_->setItem(k, kDelayColumn, new QTableWidgetItem);
  }
  connect(table_, &QTableWidget::cellChanged, this, &OutputDelaysPage::cellEdited);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(table_, 1);

  RefreshAll();
  ApplyLanguage();
}

void OutputDelaysPage::RefreshAll() {
  // What the box holds, as the page would store it: a damaged word shows 1.5 ms.
  for (int k = 0; k < kChannels; ++k) showDelay(k, clampDelay(storedDelay(context(), k)));
}

void OutputDelaysPage::ApplyLanguage() {
  Page::ApplyLanguage();  // the title label, by its ax7Id
  const QSignalBlocker quiet(table_);
  table_->setHorizontalHeaderLabels(
      {context().text("通道", "Channel"), context().text("延时(ms)", "Delay (ms)")});
  for (int k = 0; k < kChannels; ++k) {
    table_->item(k, 0)->setText(context().language() == Language::English
                                    ? QStringLiteral("CH %1").arg(k + 1)
                                    : QString::fromUtf8("通道(CH)%1").arg(k + 1));
  }
}

void OutputDelaysPage::showDelay(int channel, float ms) {
  const QSignalBlocker quiet(table_);  // shown values are not edits
  table_->item(channel, kDelayColumn)->setText(QString::asprintf("%.1f", double(ms)));
}

void OutputDelaysPage::cellEdited(int row, int column) {
  if (column != kDelayColumn || row < 0 || row >= kChannels) return;
  const QString typed = table_->item(row, column)->text();
  const float ms = clampDelay(LeadingNumber(typed.toStdString()));
  // The cell shows what is stored, so an entry below 1.5 ms never reads "0.5".
  showDelay(row, ms);
  if (ms != storedDelay(context(), row)) context().core().ui.SetParam(Param::ChannelDelay, row, ms);
}

Page* CreateOutputDelaysPage(PageContext& context, int, QWidget* parent) {
  return new OutputDelaysPage(context, parent);
}

}  // namespace ax7::ui
