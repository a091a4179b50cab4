#include "shell/status_panes.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

#include "shell/app_state.h"
#include "pages/page.h"
#include "pages/prompter.h"

namespace ax7::ui {

namespace {

constexpr unsigned kInitialColor = 0x0000FF;  // COLORREF red, until the first update
constexpr unsigned kConnectedColor = 0x009600;
constexpr unsigned kDisconnectedColor = 0x0000DC;
constexpr int kUsbPaneSpaces = 52;
constexpr int kModePaneSpaces = 97;

}  // namespace

ColorPane::ColorPane(QWidget* parent) : QLabel(parent) {}

void ColorPane::setTextColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, color);
  setPalette(pal);
}

StatusPanes::StatusPanes(AppState& state, QStatusBar& bar, std::function<Page*()> currentPage)
    : QObject(&bar),
      state_(state),
      currentPage_(std::move(currentPage)),
      usb_(new ColorPane(&bar)),
      mode_(new ColorPane(&bar)),
      eqBypass_(new QCheckBox(&bar)),
      eqReset_(new QPushButton(&bar)) {
  const QFontMetrics metrics(bar.font());
  usb_->setObjectName("usbPane");
  usb_->setProperty("ax7Id", kStatusUsbId);
  // No text until the first update writes it in the window's language: a Chinese placeholder
  // would load a CJK font for a text an English window never shows.
  usb_->setTextColor(fromColorRef(kInitialColor));
  usb_->setMinimumWidth(metrics.horizontalAdvance(QString(kUsbPaneSpaces, QLatin1Char(' '))));

  mode_->setObjectName("modePane");
  mode_->setProperty("ax7Id", kStatusModeId);
  mode_->setTextColor(fromColorRef(kInitialColor));
  mode_->setAlignment(Qt::AlignCenter);
  mode_->setMinimumWidth(metrics.horizontalAdvance(QString(kModePaneSpaces, QLatin1Char(' '))));

  auto* separator = new QFrame(&bar);
  separator->setFrameShape(QFrame::VLine);
  separator->setFrameShadow(QFrame::Sunken);

  eqBypass_->setObjectName("eqBypass");
  eqBypass_->setProperty("ax7Id", kEqBypassId);
  eqReset_->setObjectName("eqReset");
  eqReset_->setProperty("ax7Id", kEqResetId);
  eqReset_->setAutoDefault(false);

  bar.addWidget(usb_);
  bar.addWidget(separator);
  bar.addWidget(mode_);
  bar.addPermanentWidget(eqBypass_);
  bar.addPermanentWidget(eqReset_);

  connect(eqBypass_, &QCheckBox::clicked, this, &StatusPanes::toggleBypass);
  connect(eqReset_, &QPushButton::clicked, this, &StatusPanes::resetEq);
  eqBypass_->setText(state_.text("均衡旁路", "Bypass"));
  eqReset_->setText(state_.text("重置均衡", "Reset EQ"));
  eqBypass_->setEnabled(false);
  eqReset_->setEnabled(false);
}

QString StatusPanes::ModeText(int mode, const QString& name, int language) {
  static const char* const kZh[] = {"模式一", "模式二", "模式三", "模式四"};
  static const char* const kEn[] = {"Mode1", "Mode2", "Mode3", "Mode4"};
  const int m = mode >= 1 && mode <= 3 ? mode : 0;
  if (language == 1) return QString("Current Mode:%1[%2]").arg(kEn[m], name);
  return QString::fromUtf8("当前模式:%1[%2]").arg(QString::fromUtf8(kZh[m]), name);
}

void StatusPanes::update() {
  const bool open = state_.boxOpen();
  usb_->setText(open ? state_.text("USB：已连接", "USB:Connected")
                     : state_.text("USB：未连接", "USB:Disconnected"));
  usb_->setTextColor(fromColorRef(open ? kConnectedColor : kDisconnectedColor));

  const DeviceState& dev = state_.core.mem.dev;
  int mode = dev.g_nCurrentMode.load();
  // A mode number the box cannot have shows mode one with its name.
  if (mode < 1 || mode > 3) mode = 0;
  const QString name = QString::fromStdU16String(dev.g_szModeName[size_t(mode)].get());
  mode_->setText(ModeText(mode, name, state_.g_nLanguage));

  Page* page = currentPage_ ? currentPage_() : nullptr;
  const bool eq = page && page->hasEq();
  eqBypass_->setEnabled(eq);
  eqReset_->setEnabled(eq);
  {
    const QSignalBlocker block(eqBypass_);
    eqBypass_->setChecked(eq && page->IsEqBypassed());
  }
  eqBypass_->setText(state_.text("均衡旁路", "Bypass"));
  eqReset_->setText(state_.text("重置均衡", "Reset EQ"));
}

void StatusPanes::toggleBypass() {
  Page* page = currentPage_ ? currentPage_() : nullptr;
  if (page && page->hasEq()) page->ToggleEqBypass();
  update();
}

void StatusPanes::resetEq() {
  Page* page = currentPage_ ? currentPage_() : nullptr;
  if (!page || !page->hasEq()) return;
  if (state_.prompter.askYesNo(eqReset_->window(),
                               state_.text("您确定重置当前均衡吗?", "Are you sure reset the EQ?"),
                               QStringLiteral("提示")) != Answer::Yes) {
    return;
  }
  if (beforeEqReset_ && !beforeEqReset_()) return;
  page->ResetEq();
  update();
}

}  // namespace ax7::ui
