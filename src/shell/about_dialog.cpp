#include "shell/about_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/app_state.h"

namespace ax7::ui {

namespace {

constexpr unsigned kBackground = 0xFFFAF0;  // COLORREF

bool isRevealKey(const QKeyEvent* event) {
  const Qt::KeyboardModifiers mods = event->modifiers();
  return event->key() == Qt::Key_F11 && (mods & Qt::ControlModifier) && (mods & Qt::ShiftModifier);
}

}  // namespace

AboutDialog::AboutDialog(AppState& state, const QIcon& icon, QWidget* parent)
    : QDialog(parent),
      state_(state),
      module_(new QLabel(this)),
      mcu_(new QLabel(this)),
      dsp_(new QLabel(this)),
      peak_(new QCheckBox(QStringLiteral("Peak"), this)) {
  setObjectName("aboutDialog");
  setWindowTitle(state.text("关于 AX7", "About AX7"));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, fromColorRef(kBackground));
  setPalette(pal);
  setAutoFillBackground(true);

  auto* picture = new QLabel(this);
  picture->setPixmap(icon.pixmap(48, 48));
  auto* name = new QLabel(QStringLiteral("AX7 v1.2"), this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  auto* build = new QLabel(QStringLiteral("Build Date:2015-06-10"), this);

  module_->setProperty("ax7Id", 1005);
  dsp_->setProperty("ax7Id", 1006);
  mcu_->setProperty("ax7Id", 1007);
  peak_->setProperty("ax7Id", 1045);

  const DeviceState& dev = state.core.mem.dev;
  module_->setText(QString("Module:%1").arg(QString::fromStdU16String(dev.g_szModule.get())));
  mcu_->setText(QString::asprintf("MCU Ver:%s CMD Ver:%02d",
                                  toUtf8(dev.g_szMcuVersion.get()).c_str(),
                                  int(dev.g_nCmdVersion.load())));
  dsp_->setText(QString("DSP Ver:%1").arg(QString::fromStdU16String(dev.g_szDspVersion.get())));
  const bool open = state.boxOpen();
  module_->setVisible(false);
  mcu_->setVisible(open);
  dsp_->setVisible(open);

  peak_->setChecked(state.peakOption);
  peak_->setVisible(false);
  connect(peak_, &QCheckBox::toggled, this, [this](bool on) { state_.peakOption = on; });

  auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(build);
  texts->addWidget(module_);
  texts->addWidget(mcu_);
  texts->addWidget(dsp_);
  texts->addWidget(peak_);
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
  if (isRevealKey(event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void AboutDialog::keyReleaseEvent(QKeyEvent* event) {
  if (isRevealKey(event)) {
    module_->setVisible(true);
    peak_->setVisible(true);
    layout()->activate();
    event->accept();
    return;
  }
  QDialog::keyReleaseEvent(event);
}

}  // namespace ax7::ui
