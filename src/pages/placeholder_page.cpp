#include "pages/placeholder_page.h"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace ax7::ui {

namespace {

struct KindText {
  PageKind kind;
  TextPair text;
};

constexpr KindText kKindTexts[] = {
    {PageKind::Music, {"话筒与音乐", "Microphone and music"}},
    {PageKind::Output, {"输出通道", "Output channels"}},
    {PageKind::Effects, {"效果", "Effects"}},
    {PageKind::Delay, {"延时", "Delay"}},
    {PageKind::Compressor, {"压限", "Compressor"}},
    {PageKind::Room, {"房间设置", "Speaker placement"}},
};

}  // namespace

PlaceholderPage::PlaceholderPage(PageContext& context, PageKind kind, int argument,
                                 QWidget* parent)
    : Page(context, kind, parent),
      argument_(argument),
      title_(new QLabel(this)),
      detail_(new QLabel(this)) {
  setObjectName("placeholderPage");
  QFont big = title_->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  title_->setFont(big);
  auto* layout = new QVBoxLayout(this);
  layout->addStretch();
  layout->addWidget(title_, 0, Qt::AlignHCenter);
  layout->addWidget(detail_, 0, Qt::AlignHCenter);
  layout->addStretch();
  ApplyLanguage();
}

void PlaceholderPage::RefreshAll() {
  ApplyLanguage();
}

void PlaceholderPage::ApplyLanguage() {
  Page::ApplyLanguage();
  const PageContext& c = context();
  for (const KindText& k : kKindTexts) {
    if (k.kind == kind()) title_->setText(c.text(k.text));
  }
  QString detail;
  switch (kind()) {
    case PageKind::Music: {
      static constexpr TextPair groups[] = {{"话筒A", "Mic A"}, {"话筒B", "Mic B"}, {"音乐", "Music"}};
      detail = c.text(groups[std::clamp(argument_, 0, 2)]);
      break;
    }
    case PageKind::Output:
      detail = c.text("通道", "Channel ") + QString::number(argument_ + 1);
      break;
    case PageKind::Effects:
      detail = QString::number(argument_);
      break;
    default:
      break;
  }
  detail_->setText(detail);
}

void PlaceholderPage::SelectArgument(int argument) {
  argument_ = argument;
  RefreshAll();
}

PlaceholderToolWindow::PlaceholderToolWindow(PageContext& context, int dialogId, TextPair title,
                                             QWidget* parent)
    : ToolWindow(context, dialogId, parent), title_(title), label_(new QLabel(this)) {
  label_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  resize(360, 200);
  ApplyLanguage();
}

void PlaceholderToolWindow::ApplyLanguage() {
  // The pair first, so a table without a title still leaves the window in the new language.
  setWindowTitle(context().text(title_));
  ToolWindow::ApplyLanguage();
  label_->setText(windowTitle());
}

}  // namespace ax7::ui
