#include "pages/output_nav_row.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "pages/dialog_texts.h"

namespace ax7::ui {

namespace {

// Template texts, in the order of kIds.
constexpr const char* kTemplate[] = {"通道1", "通道2", "通道3", "通道4", "通道5",  "通道6",
                                     "通道7", "通道8", "声场定位", "延时", "压限"};

}  // namespace

int OutputNavRow::channelOf(int id) {
  for (int k = 0; k < 8; ++k) {
    if (kIds[size_t(k)] == id) return k;
  }
  return -1;
}

std::pair<PageKind, int> OutputNavRow::target(int id) {
  if (id == kLocation) return {PageKind::Room, 0};
  if (id == kDelay) return {PageKind::Delay, 0};
  if (id == kCompressor) return {PageKind::Compressor, 0};
  return {PageKind::Output, std::max(channelOf(id), 0)};
}

OutputNavRow::OutputNavRow(QWidget* parent) : QWidget(parent) {
  setObjectName("outputNavRow");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  for (size_t i = 0; i < kIds.size(); ++i) {
    auto* b = new QPushButton(QString::fromUtf8(kTemplate[i]), this);
    b->setProperty("ax7Id", kIds[i]);
    b->setCheckable(true);
    b->setMinimumWidth(72);
    b->setFocusPolicy(Qt::NoFocus);
    const int id = kIds[i];
    connect(b, &QPushButton::clicked, this, [this, id] {
      // The pressed look belongs to the page; a click only asks for the page.
      setPressed(pressed_);
      const auto [kind, argument] = target(id);
      emit pageRequested(kind, argument);
    });
    layout->addWidget(b);
    buttons_[i] = b;
  }
  layout->addStretch(1);
}

void OutputNavRow::setPressed(int id) {
  pressed_ = id;
  for (size_t i = 0; i < kIds.size(); ++i) buttons_[i]->setChecked(kIds[i] == id);
}

void OutputNavRow::setHidden(std::initializer_list<int> ids) {
  for (size_t i = 0; i < kIds.size(); ++i) {
    bool hide = false;
    for (int id : ids) hide = hide || id == kIds[i];
    buttons_[i]->setHidden(hide);
  }
}

QPushButton* OutputNavRow::button(int id) const {
  for (size_t i = 0; i < kIds.size(); ++i) {
    if (kIds[i] == id) return buttons_[i];
  }
  return nullptr;
}

void OutputNavRow::ApplyLanguage(const ax7::lang::LanguageTable& table, int dialogId) {
  for (size_t i = 0; i < kIds.size(); ++i) {
    buttons_[i]->setText(DialogCaption(table, dialogId, kIds[i], QString::fromUtf8(kTemplate[i])));
  }
}

}  // namespace ax7::ui
