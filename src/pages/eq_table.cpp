#include "pages/eq_table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

#include "pages/eq_editor_text.h"

namespace ax7::ui {
namespace {

const QColor kNumberBackground(20, 20, 20);

// The type cell edits through a list of the five types a user may choose.
class TypeListDelegate : public QStyledItemDelegate {
 public:
  explicit TypeListDelegate(EqTable* table) : QStyledItemDelegate(table), table_(table) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* list = new QComboBox(parent);
    for (int type = 1; type <= 5; ++type) list->addItem(eqtext::typeName(type, table_->language()));
    return list;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* list = static_cast<QComboBox*>(editor);
    list->setCurrentIndex(std::max(0, list->findText(index.data().toString())));
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText());
  }

 private:
  const EqTable* table_;
};

}  // namespace

EqTable::EqTable(QWidget* parent) : QTableWidget(parent) {
  setColumnCount(5);
  setItemDelegateForColumn(kTypeColumn, new TypeListDelegate(this));
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  setTabKeyNavigation(false);  // Tab leaves the table; arrows move between cells
  connect(this, &QTableWidget::itemChanged, this, &EqTable::cellEdited);
  connect(this, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int previousRow, int) {
            if (row != previousRow) emit rowActivated(row);
          });
  setLanguage(language_);
}

void EqTable::setBandRows(int n) {
  const QSignalBlocker block(this);
  setRowCount(std::max(0, n));
  for (int r = 0; r < rowCount(); ++r) {
    QTableWidgetItem* number = cell(r, kNumberColumn);
    number->setText(QString::number(r + 1));
    number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    number->setTextAlignment(Qt::AlignCenter);
    number->setForeground(numberColour_);
    number->setBackground(kNumberBackground);
    for (int c = kTypeColumn; c <= kQColumn; ++c) cell(r, c)->setTextAlignment(Qt::AlignCenter);
  }
}

void EqTable::setLanguage(Language language) {
  language_ = language;
  const bool zh = language == Language::Chinese;
  setHorizontalHeaderLabels({QString(), zh ? QString::fromUtf8("类型") : QStringLiteral("Type"),
                             zh ? QString::fromUtf8("增益") : QStringLiteral("Gain"),
                             zh ? QString::fromUtf8("频率") : QStringLiteral("Freq"),
                             zh ? QString::fromUtf8("Q值") : QStringLiteral("Q")});
  fitColumns();
}

void EqTable::fitColumns() {
  // The layout's widths, widened where this platform's font needs more for the widest value.
  const int widths[] = {30, 55, 60, 60, 50};
  const QString widest[] = {QStringLiteral("10"), eqtext::typeName(1, language_),
                            QStringLiteral("-15.0dB"), QStringLiteral("20000Hz"),
                            QStringLiteral("30.00")};
  const QFontMetrics fm(font());
  for (int c = 0; c < 5; ++c) {
    const QTableWidgetItem* title = horizontalHeaderItem(c);
    const int header =
        title ? horizontalHeader()->fontMetrics().horizontalAdvance(title->text()) + 16 : 0;
    setColumnWidth(c, std::max({widths[c], fm.horizontalAdvance(widest[c]) + 12, header}));
  }
}

int EqTable::preferredWidth() const {
  int w = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < columnCount(); ++c) w += columnWidth(c);
  return w;
}

void EqTable::setRowNumberColour(const QColor& colour) {
  numberColour_ = colour;
  const QSignalBlocker block(this);
  for (int r = 0; r < rowCount(); ++r) cell(r, kNumberColumn)->setForeground(colour);
}

QTableWidgetItem* EqTable::cell(int row, int column) {
  QTableWidgetItem* it = item(row, column);
  if (!it) {
    it = new QTableWidgetItem;
    setItem(row, column, it);
  }
  return it;
}

void EqTable::showRow(int row, const QString& typeName, const QString& gain,
                      const QString& frequency, const QString& q) {
  if (row < 0 || row >= rowCount()) return;
  const QSignalBlocker block(this);
  if (!typeName.isNull()) cell(row, kTypeColumn)->setText(typeName);
  cell(row, kGainColumn)->setText(gain);
  cell(row, kFrequencyColumn)->setText(frequency);
  cell(row, kQColumn)->setText(q);
}

void EqTable::showType(int row, const QString& typeName) {
  if (row < 0 || row >= rowCount()) return;
  const QSignalBlocker block(this);
  cell(row, kTypeColumn)->setText(typeName);
}

QString EqTable::text(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void EqTable::selectRowQuietly(int row) {
  const QSignalBlocker block(this);
  if (row >= 0 && row < rowCount()) {
    selectRow(row);
    scrollToItem(item(row, kNumberColumn));  // also while hidden behind the band editor
  }
}

void EqTable::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  // The table gets shorter when the crossover list appears under it for the last row: that row
  // stays in view.
  if (currentIndex().isValid()) scrollTo(currentIndex());
}

void EqTable::cellEdited(QTableWidgetItem* item) {
  if (item->column() == kTypeColumn) {
    emit typeEdited(item->row(), item->text());
  } else if (item->column() >= kGainColumn) {
    emit valuesEdited(item->row());
  }
}

void EqTable::mousePressEvent(QMouseEvent* event) {
  // A click that moves the current row is reported by currentCellChanged; any other click
  // (the same row, or empty space) is reported here.
  const int before = currentRow();
  QTableWidget::mousePressEvent(event);
  if (currentRow() == before) emit rowActivated(before);
}

}  // namespace ax7::ui
