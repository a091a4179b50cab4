#include "shell/info_box.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/app_state.h"

namespace ax7::ui {

namespace {

constexpr unsigned kBackground = 0xFFFAF0;  // COLORREF
constexpr int kTextControlId = 1223;
constexpr int kCloseButtonId = 2;

}  // namespace

InfoBox::InfoBox(QWidget* parent, const QString& title, const QString& closeText)
    : QDialog(parent), label_(new QLabel(this)), closeButton_(new QPushButton(closeText, this)) {
  // A notice must not take the keyboard from the control the user is working with.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setModal(false);
  setWindowTitle(title);
  setObjectName("infoBox");

  QPalette pal = palette();
  pal.setColor(QPalette::Window, fromColorRef(kBackground));
  setPalette(pal);
  setAutoFillBackground(true);

  QFont font({"SimSun", "宋体", "WenQuanYi Micro Hei", "Noto Sans CJK SC"});
  font.setPixelSize(18);
  font.setWeight(QFont::Medium);
  label_->setFont(font);
  label_->setWordWrap(true);
  label_->setMinimumWidth(260);
  label_->setProperty("ax7Id", kTextControlId);
  label_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* picture = new QLabel(this);
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  picture->setPixmap(style()
                         ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                         .pixmap(iconSize, iconSize));

  closeButton_->setProperty("ax7Id", kCloseButtonId);
  closeButton_->setAutoDefault(false);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(picture, 0, Qt::AlignTop);
  row->addWidget(label_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(closeButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addLayout(buttons);

  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &InfoBox::expire);
}

void InfoBox::showText(const QString& text, int milliseconds) {
  label_->setText(text);
  adjustSize();
  show();
  raise();
  timer_.start(milliseconds);
}

QString InfoBox::text() const {
  return label_->text();
}

void InfoBox::expire() {
  timer_.stop();
  reject();
}

void InfoBox::keyPressEvent(QKeyEvent* event) {
  // Enter does nothing here; Esc closes like the close button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

InfoBoxHost::~InfoBoxHost() {
  delete box_.data();
}

void InfoBoxHost::closeBox() {
  if (box_) box_->expire();
}

void InfoBoxHost::ShowInfoBox(const QString& text, int milliseconds) {
  if (!box_) {
    auto* box =
        new InfoBox(owner_, state_.text("信息", "Information"), state_.text("关闭", "Close"));
    box_ = box;
    // Closed by its timer, its button, Esc or the title bar: forget it at once, so the next
    // notice opens a new window rather than reviving one that is being deleted.
    QObject::connect(box, &QDialog::finished, box, [this, box] {
      if (box_ == box) box_ = nullptr;
      box->deleteLater();
    });
  }
  box_->showText(text, milliseconds);
}

}  // namespace ax7::ui
