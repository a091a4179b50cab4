#include "shell/page_host.h"

#include <QResizeEvent>
#include <algorithm>

namespace ax7::ui {

PageHost::PageHost(QWidget* parent) : QWidget(parent) {
  setObjectName("pageHost");
  updatePageArea();
}

void PageHost::setCreator(PageKind kind, Creator creator) {
  creators_[kind] = std::move(creator);
}

void PageHost::setFallbackCreator(std::function<Page*(PageKind, int, QWidget*)> creator) {
  fallback_ = std::move(creator);
}

void PageHost::ShowPage(PageKind kind, int argument) {
  if (current_ && current_->kind() == kind) {
    current_->SelectArgument(argument);
    return;
  }
  delete current_.data();
  Page* page = nullptr;
  if (auto it = creators_.find(kind); it != creators_.end()) {
    page = it->second(argument, this);
  } else if (fallback_) {
    page = fallback_(kind, argument, this);
  }
  current_ = page;
  if (page) {
    page->setParent(this);
    // Queued: the request usually comes from a button of the page that is about to go.
    connect(page, &Page::showPageRequested, this, &PageHost::ShowPage, Qt::QueuedConnection);
    page->setGeometry(pageArea_);
    page->show();
  }
  emit pageChanged(page);
}

void PageHost::updatePageArea() {
  pageArea_ = QRect(0, 0, std::max(width(), kMinPageWidth), std::max(height(), kMinPageHeight));
}

void PageHost::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  updatePageArea();
  // The page lays itself out for the new size; it stays where it is.
  if (current_) current_->resize(pageArea_.size());
}

}  // namespace ax7::ui
