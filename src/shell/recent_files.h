#pragma once
// The recent mode files: at most ten paths, most recent first, kept in the profile and listed
// in the application menu.
#include <QObject>
#include <QStringList>

class QMenu;
class QSettings;

namespace ax7::ui {

class RecentFiles : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxEntries = 10;

  RecentFiles(QSettings& settings, QObject* parent = nullptr);

  QStringList paths() const { return paths_; }
  // Puts the path first (moving it if listed already).
  void add(const QString& path);
  void remove(const QString& path);

  // Lists the entries in this menu from now on; choosing one emits openRequested.
  void attachMenu(QMenu* menu);

 signals:
  void openRequested(const QString& path);

 private:
  void store();
  void fillMenu();

  QSettings& settings_;
  QStringList paths_;
  QMenu* menu_ = nullptr;
};

}  // namespace ax7::ui
