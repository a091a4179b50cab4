#pragma once
// The page area: exactly one current page, replaced (never stacked) by ShowPage. The page
// area is at least 1024 by 520 pixels, whatever the size of the host.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

#include "pages/page.h"

namespace ax7::ui {

class PageHost : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMinPageWidth = 1024;
  static constexpr int kMinPageHeight = 520;

  using Creator = std::function<Page*(int argument, QWidget* parent)>;

  explicit PageHost(QWidget* parent = nullptr);

  // How pages of a kind are made; a kind without a creator gets a placeholder.
  void setCreator(PageKind kind, Creator creator);
  void setFallbackCreator(std::function<Page*(PageKind, int, QWidget*)> creator);

  // The current page of the same kind takes the argument; otherwise the current page is
  // deleted and a new one created, shown and placed in the page area.
  void ShowPage(PageKind kind, int argument);
  Page* currentPage() const { return current_; }
  QRect pageArea() const { return pageArea_; }

 signals:
  void pageChanged(ax7::ui::Page* page);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void updatePageArea();

  std::map<PageKind, Creator> creators_;
  std::function<Page*(PageKind, int, QWidget*)> fallback_;
  QPointer<Page> current_;
  QRect pageArea_;
};

}  // namespace ax7::ui
