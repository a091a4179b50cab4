// The EQ editor shared by the microphone and music page, the output page and the effects page:
// the EQ graph beside either the EQ table or, while one band is selected, the band editor. It
// owns the EQ set model that the graph draws and the table and band editor show, loads it from
// the box image and hands every band change to the host's send; it never builds a report itself. Output sets add the crossover list
// of the crossover band.
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>
#include <vector>

#include "pages/eq_copy_source.h"
#include "pages/language.h"
#include "params/eq_set_model.h"

class QComboBox;
class QLabel;
class QStackedWidget;

namespace ax7 {
struct ParameterMemory;
struct BandRecord;
}

namespace ax7::ui {

class BandEditor;
class CEqPanel;
class EqExchange;
class EqTable;

struct EqEditorConfig {
  enum class TypeOperation {
    kSetBandType,     // the type rule alone (microphone, music and effect EQs)
    kChooseBandType,  // a user's pick: output EQs, with the crossover band's cascades
  };
  // Stores one band record in the box image, writes it to the box and sends its section, as the
  // band senders of EqSenders do (frequency in whole hertz). For the crossover band of an output
  // set the editor calls it for each of records 9..12.
  using BandSend = std::function<void(int record, int type, float gainDb, int frequency, float q)>;
  // Copies EQ set source onto target and re-sends the target (EqSenders::CopyEqSet).
  using CopySet = std::function<bool(int source, int target)>;

  int eqSet = 0;       // 0..14
  int records = 10;    // band records loaded from the box image
  int bandCount = 10;  // the graph's band count
  int tableRows = 10;  // rows of the EQ table
  TypeOperation typeOperation = TypeOperation::kSetBandType;
  int bypassWord = -1;  // PC block word holding the EQ bypass, -1 for none
  BandSend sendBand;
  CopySet copyEqSet;
};

class EqEditor : public QWidget {
  Q_OBJECT
 public:
  // The memory is read only: records are written by the host's send. The copy source is shared
  // by every editor of the program.
  EqEditor(const ParameterMemory& memory, EqCopySource& copySource, QWidget* parent = nullptr);
  ~EqEditor() override;

  // Sets the graph's band count and EQ set and the table rows, and deselects the band. LoadEq
  // then fills everything from memory.
  void configure(EqEditorConfig config);
  const EqEditorConfig& config() const { return config_; }

  // Fills the graph and the table from the box image and hands the bypass word to the graph.
  void LoadEq();
  // Shows the band editor for the band (nothing is sent) / the table.
  void SelectBand(int band);
  void DeselectBand();
  int selectedBand() const { return selected_; }
  bool isTableShown() const;

  // Reads the bypass word again and hands it to the graph.
  void refreshBypass();
  // 0 Chinese, 1 English: graph, table titles and type names, editor captions.
  void setLanguage(Language language);
  Language language() const { return language_; }
  void setRowNumberColour(const QColor& colour);

  // The bands shown; changing them directly is what a gesture on the graph does, without the
  // notification (tests stand in for the graph this way).
  const EqSetModel& model() const { return model_; }
  EqSetModel& model() { return model_; }
  CEqPanel* panel() const { return panel_; }
  EqTable* table() const { return table_; }
  BandEditor* bandEditor() const { return editor_; }
  QComboBox* crossoverList() const { return crossoverList_; }
  // Import and export of the set (eq_exchange_ui.cpp).
  EqExchange* exchange() const { return exchange_; }
  // Bands 0..count-1 take the records and are sent like edits.
  void applyImportedBands(const std::vector<BandRecord>& bands, int count);
  QLabel* crossoverTitle() const { return crossoverTitle_; }

  // A wheel turn over the editor goes to the graph or a band slider when that has the focus.
  QWidget* wheelTarget() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The rules (eq_editor_rules.cpp).
  void onBandNotify(int band);
  void onEmptyRelease();
  void onCopyPaste(int action);
  void onTypeRadio(int index);
  void onTableType(int row, const QString& text);
  void onTableValues(int row);
  void onTableRowActivated(int row);
  void onCrossoverChosen(int listIndex);
  void applyEdits();
  void setBandType(int band, int type);
  void send(int band);

  // Display (eq_editor.cpp).
  bool isOutput() const;
  bool isCrossoverBand(int band) const;
  // The type word shown for the band, 0..5 (the crossover band's cascade by its list row), or
  // -1 for a code without a name.
  int shownType(int band) const;
  void showRow(int band);
  void showInEditor(int band);
  void showCrossoverList(bool show);

  const ParameterMemory& memory_;
  EqCopySource& copySource_;
  EqEditorConfig config_;
  EqSetModel model_;
  Language language_ = Language::English;
  int selected_ = -1;

  CEqPanel* panel_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  EqTable* table_ = nullptr;
  BandEditor* editor_ = nullptr;
  QLabel* crossoverTitle_ = nullptr;
  QComboBox* crossoverList_ = nullptr;
  EqExchange* exchange_ = nullptr;
};

}  // namespace ax7::ui
