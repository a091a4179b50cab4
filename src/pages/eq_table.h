// The EQ table: one row per band with its number, type (an in-place list), gain, frequency and Q,
// the last three edited in place as text. It only shows and reports; the EQ editor decides.
#pragma once

#include <QColor>
#include <QTableWidget>

#include "pages/language.h"

namespace ax7::ui {

class EqTable : public QTableWidget {
  Q_OBJECT
 public:
  enum Column { kNumberColumn, kTypeColumn, kGainColumn, kFrequencyColumn, kQColumn };

  explicit EqTable(QWidget* parent = nullptr);

  // Rows 1..n; cell texts are kept where rows remain.
  void setBandRows(int n);
  // Column titles and the type list in the language (0 Chinese, 1 English).
  void setLanguage(Language language);
  Language language() const { return language_; }
  // Colour of the row numbers, drawn on a near-black column.
  void setRowNumberColour(const QColor& colour);
  // Width that shows every column without a scroll bar.
  int preferredWidth() const;

  // Fills a row without reporting an edit. A null typeName leaves the type cell as it is.
  void showRow(int row, const QString& typeName, const QString& gain, const QString& frequency,
               const QString& q);
  void showType(int row, const QString& typeName);
  QString text(int row, int column) const;
  // Makes the row current without reporting it.
  void selectRowQuietly(int row);

 signals:
  // The user picked a type name in the row's list.
  void typeEdited(int row, const QString& text);
  // The user finished editing the gain, frequency or Q cell of the row.
  void valuesEdited(int row);
  // A click in the table or a keyboard move left this row current (-1 for none).
  void rowActivated(int row);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void cellEdited(QTableWidgetItem* item);
  void fitColumns();
  QTableWidgetItem* cell(int row, int column);

  Language language_ = Language::English;
  QColor numberColour_{0, 200, 255};
};

}  // namespace ax7::ui
