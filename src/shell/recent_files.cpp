#include "shell/recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "shell/app_state.h"

namespace ax7::ui {

namespace {

constexpr int kMenuWidth = 300;

QString canonical(const QString& path) {
  const QFileInfo info(path);
  return info.exists() ? info.absoluteFilePath() : QDir::cleanPath(path);
}

}  // namespace

RecentFiles::RecentFiles(QSettings& settings, QObject* parent)
    : QObject(parent), settings_(settings) {
  paths_ = settings_.value(kKeyRecentFiles).toStringList();
  paths_.removeAll(QString());
  paths_.removeDuplicates();
  while (paths_.size() > kMaxEntries) paths_.removeLast();
}

void RecentFiles::add(const QString& path) {
  const QString p = canonical(path);
  paths_.removeAll(p);
  paths_.prepend(p);
  while (paths_.size() > kMaxEntries) paths_.removeLast();
  store();
}

void RecentFiles::remove(const QString& path) {
  if (paths_.removeAll(canonical(path)) + paths_.removeAll(path) > 0) store();
}

void RecentFiles::store() {
  settings_.setValue(kKeyRecentFiles, paths_);
  fillMenu();
}

void RecentFiles::attachMenu(QMenu* menu) {
  menu_ = menu;
  fillMenu();
}

void RecentFiles::fillMenu() {
  if (!menu_) return;
  menu_->clear();
  const QFontMetrics metrics(menu_->font());
  for (int i = 0; i < paths_.size(); ++i) {
    const QString path = paths_[i];
    const QString shown =
        metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, kMenuWidth);
    // &1..&9, then &0 for the tenth, as keyboard accelerators.
    QAction* action = menu_->addAction(QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(shown));
    action->setToolTip(path);
    action->setData(path);
    connect(action, &QAction::triggered, this, [this, path] { emit openRequested(path); });
  }
  menu_->setEnabled(!paths_.isEmpty());
}

}  // namespace ax7::ui
