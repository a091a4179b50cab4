#include "shell/placeholder_page.h"

#include <QLabel>
#include <QVBoxLayout>

#include "shell/app_state.h"

namespace ax7::ui {

namespace {

struct KindText {
  PageKind kind;
  const char* zh;
  const char* en;
};

constexpr KindText kKindTexts[] = {
    {PageKind::Music, "话筒与音乐", "Microphone and music"},
    {PageKind::Output, "输出通道", "Output channels"},
    {PageKind::Effects, "效果", "Effects"},
    {PageKind::Delay, "延时", "Delay"},
    {PageKind::Compressor, "压限", "Compressor"},
    {PageKind::Room, "房间设置", "Speaker placement"},
};

}  // namespace

PlaceholderPage::PlaceholderPage(AppState& state, PageKind kind, int argument, QWidget* parent)
    : Page(kind, parent),
      state_(state),
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
  for (const KindText& k : kKindTexts) {
    if (k.kind == kind()) title_->setText(state_.text(k.zh, k.en));
  }
  QString detail;
  switch (kind()) {
    case PageKind::Music: {
      static const char* zh[] = {"话筒A", "话筒B", "音乐"};
      static const char* en[] = {"Mic A", "Mic B", "Music"};
      const int g = std::clamp(argument_, 0, 2);
      detail = state_.text(zh[g], en[g]);
      break;
    }
    case PageKind::Output:
      detail = state_.text("通道", "Channel ") + QString::number(argument_ + 1);
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

}  // namespace ax7::ui
