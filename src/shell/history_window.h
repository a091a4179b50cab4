#pragma once
// The settings history window: the snapshots kept before the settings were replaced, newest
// first, with what each differs in from the settings now; restores one with the differing-only
// write, or opens the folder they are kept in.
#include <QTimer>
#include <QUrl>
#include <map>
#include <string>
#include <functional>
#include <vector>

#include "history/snapshots.h"
#include "pages/tool_window.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ax7::ui {

class SettingsHistory;

inline constexpr int kHistoryWindow = 601;
// How many differing names a row shows before "…".
inline constexpr int kHistoryNamesShown = 3;

class HistoryWindow : public ToolWindow {
  Q_OBJECT
 public:
  HistoryWindow(PageContext& context, SettingsHistory& history, QWidget* parent);

  // Lists the snapshots again and compares each with memory.
  void RefreshAll() override;
  void ApplyLanguage() override;

  // Restores the snapshot of the row (0 = newest); false when nothing was written.
  bool restoreRow(int row);
  bool openFolder();

  QTreeWidget* list() const { return list_; }
  QPushButton* restoreButton() const { return restore_; }
  QPushButton* folderButton() const { return folder_; }
  const std::vector<history::Snapshot>& snapshots() const { return snapshots_; }
  // How the folder is opened (the desktop's file manager; tests record the call instead).
  std::function<bool(const QUrl&)> openUrl;

 private:
  void fillRows();
  void updateButtons();

  SettingsHistory& history_;
  QLabel* folderLabel_;
  QTreeWidget* list_;
  QPushButton* restore_;
  QPushButton* folder_;
  QPushButton* close_;
  std::vector<history::Snapshot> snapshots_;
  // Per row: differences from now (-1: unreadable) and the first names in both languages.
  struct RowInfo {
    int count = -1;
    QString namesZh, namesEn;
  };
  std::vector<RowInfo> rows_;
  // Snapshot files never change once written: each is read once.
  std::map<std::string, history::SettingsImage> images_;
  // Edits come many a second while a control is dragged; the list follows once they pause.
  QTimer refreshTimer_;
};

}  // namespace ax7::ui
