#include "shell/ribbon.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_map>

#include "pages/step_slider.h"

namespace ax7::ui {

namespace {

// Small elements share rows of one height so that labels, sliders and check boxes line up
// across panels; a large (icon) button takes the full height of its panel.
constexpr int kRowHeight = 24;
constexpr int kRows = 3;
constexpr int kRowSpacing = 2;
constexpr int kBodyHeight = kRows * kRowHeight + (kRows - 1) * kRowSpacing;
constexpr int kLargeIcon = 32;
constexpr int kTabRowHeight = 30;

// Style sheets cost a polish of every widget below the one that carries them, so they stay on
// the tab row and on the few tool buttons; colours elsewhere come from palettes and paintEvent.
const char* const kButtonStyle = R"(
QToolButton {
  background: transparent; border: 1px solid transparent; border-radius: 3px;
  padding: 2px 6px; color: #202020;
}
QToolButton:hover { background: #e6eef8; border-color: #c5d6ec; }
QToolButton:pressed, QToolButton:checked { background: #cddcf0; border-color: #9fbbe0; }
QToolButton:focus { border-color: #2b579a; }
QToolButton[popupMode="2"] { padding-right: 16px; }
QToolButton::menu-indicator { subcontrol-origin: padding; subcontrol-position: right center; }
)";

const char* const kTabRowStyle = R"(
QTabBar::tab {
  background: transparent; color: #303030; border: none;
  border-bottom: 3px solid transparent; padding: 4px 14px 3px 14px; margin: 0 2px;
}
QTabBar::tab:hover { color: #1c4f8f; border-bottom-color: #c4d3e6; }
QTabBar::tab:selected { color: #1c4f8f; border-bottom-color: #2b579a; }
QTabBar::tab:selected:focus { background: #e6eef8; }
QToolButton#ribbonAppButton {
  background: #2b579a; border: none; border-radius: 3px; padding: 3px 10px;
}
QToolButton#ribbonAppButton:hover { background: #3a6bb3; }
QToolButton#ribbonAppButton:pressed, QToolButton#ribbonAppButton:focus { background: #1f4a87; }
QToolButton#ribbonAppButton::menu-indicator { image: none; width: 0; }
)";

const QColor kRibbonBackground(0xf3, 0xf3, 0xf3);
const QColor kPanelsBackground(0xff, 0xff, 0xff);
const QColor kPanelsBorder(0xda, 0xda, 0xda);
const QColor kSeparatorColour(0xe0, 0xe0, 0xe0);
const QColor kCaptionColour(0x61, 0x61, 0x61);
const QColor kTextColour(0x20, 0x20, 0x20);

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// The application button's face: three light bars, the usual sign of an application menu.
QIcon applicationIcon() {
  QPixmap pixmap(36, 36);
  pixmap.setDevicePixelRatio(2.0);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
  for (qreal y : {4.5, 9.0, 13.5}) painter.drawLine(QPointF(2.5, y), QPointF(15.5, y));
  return QIcon(pixmap);
}

class WheelSwallower : public QObject {
 public:
  using QObject::QObject;

 protected:
  // Ignored but handled: Qt then passes the wheel on to the parent, so it climbs to the
  // ribbon (and whatever filters the ribbon) without moving the control under the pointer.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    event->ignore();
    return true;
  }
};

struct Panel {
  QWidget* frame = nullptr;
  QHBoxLayout* columns = nullptr;
  QVBoxLayout* column = nullptr;  // the column that small elements go into
  int rowsUsed = kRows;           // full: the next small element starts a new column
  QLabel* caption = nullptr;
};

struct Category {
  QWidget* page = nullptr;
  QHBoxLayout* layout = nullptr;
  std::vector<Panel> panels;
};

}  // namespace

struct Ribbon::Impl {
  Ribbon* q = nullptr;
  WheelSwallower* wheel = nullptr;
  QToolButton* appButton = nullptr;
  QMenu* appMenu = nullptr;
  QTabBar* tabs = nullptr;
  QHBoxLayout* tabRowButtons = nullptr;
  QStackedWidget* stack = nullptr;
  std::vector<Category> categories;
  std::unordered_map<int, QWidget*> controls;  // the first control added with each id
  std::unordered_map<int, QAction*> actions;

  Panel* panel(int category, int index) {
    if (category < 0 || category >= int(categories.size())) return nullptr;
    auto& panels = categories[size_t(category)].panels;
    if (index < 0 || index >= int(panels.size())) return nullptr;
    return &panels[size_t(index)];
  }

  void adopt(QWidget* widget, int id) {
    widget->setProperty(kIdProperty, id);
    widget->installEventFilter(wheel);
    controls.emplace(id, widget);
  }

  void placeSmall(Panel& p, QWidget* widget) {
    if (p.rowsUsed >= kRows) {
      p.column = new QVBoxLayout;
      p.column->setSpacing(kRowSpacing);
      p.column->setContentsMargins(0, 0, 0, 0);
      p.column->addStretch(1);
      p.columns->addLayout(p.column);
      p.rowsUsed = 0;
    }
    widget->setFixedHeight(kRowHeight);
    p.column->insertWidget(p.column->count() - 1, widget, 0, Qt::AlignLeft);
    ++p.rowsUsed;
  }

  void placeLarge(Panel& p, QWidget* widget) {
    widget->setFixedHeight(kBodyHeight);
    p.columns->addWidget(widget);
    p.rowsUsed = kRows;
  }

  QAction* makeAction(int id, const QString& text) {
    auto it = actions.find(id);
    if (it != actions.end()) return it->second;
    auto* action = new QAction(text, q);
    action->setProperty(kIdProperty, id);
    QObject::connect(action, &QAction::triggered, q, [this, id] { emit q->commandTriggered(id); });
    actions.emplace(id, action);
    return action;
  }

  QToolButton* makeButton(QWidget* parent, int id, const QString& text, const QIcon& icon) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setFocusPolicy(Qt::StrongFocus);
    if (!icon.isNull()) button->setIcon(icon);
    adopt(button, id);
    return button;
  }
};

Ribbon::Ribbon(QWidget* parent) : QWidget(parent), d_(new Impl) {
  d_->q = this;
  d_->wheel = new WheelSwallower(this);
  setAutoFillBackground(true);
  setColour(this, QPalette::Window, kRibbonBackground);
  setColour(this, QPalette::WindowText, kTextColour);
  // Wheel and mouse presses stop here instead of reaching the window behind the ribbon.
  setAttribute(Qt::WA_NoMousePropagation);
  setContextMenuPolicy(Qt::PreventContextMenu);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 2, 4, 4);
  outer->setSpacing(2);

  auto* tabRow = new QWidget(this);
  tabRow->setObjectName(QStringLiteral("ribbonTabRow"));
  tabRow->setFixedHeight(kTabRowHeight);
  tabRow->setStyleSheet(QString::fromLatin1(kTabRowStyle) + QString::fromLatin1(kButtonStyle));
  auto* tabLayout = new QHBoxLayout(tabRow);
  tabLayout->setContentsMargins(0, 2, 0, 0);
  tabLayout->setSpacing(2);

  d_->appMenu = new QMenu(this);
  d_->appButton = new QToolButton(tabRow);
  d_->appButton->setObjectName(QStringLiteral("ribbonAppButton"));
  d_->appButton->setIcon(applicationIcon());
  d_->appButton->setIconSize(QSize(18, 18));
  d_->appButton->setFixedHeight(kTabRowHeight - 4);
  d_->appButton->setPopupMode(QToolButton::InstantPopup);
  d_->appButton->setMenu(d_->appMenu);
  d_->appButton->setFocusPolicy(Qt::StrongFocus);
  d_->appButton->setAccessibleName(QStringLiteral("Application menu"));
  d_->appButton->installEventFilter(d_->wheel);
  tabLayout->addWidget(d_->appButton);
  tabLayout->addSpacing(6);

  d_->tabs = new QTabBar(tabRow);
  d_->tabs->setDrawBase(false);
  d_->tabs->setExpanding(false);
  d_->tabs->setUsesScrollButtons(false);
  d_->tabs->setFocusPolicy(Qt::StrongFocus);
  // A tab bar turns the wheel into a category change; on the ribbon the wheel changes nothing.
  d_->tabs->installEventFilter(d_->wheel);
  tabLayout->addWidget(d_->tabs, 0, Qt::AlignBottom);
  tabLayout->addStretch(1);
  d_->tabRowButtons = new QHBoxLayout;
  d_->tabRowButtons->setSpacing(2);
  tabLayout->addLayout(d_->tabRowButtons);
  outer->addWidget(tabRow);

  d_->stack = new QStackedWidget(this);
  d_->stack->setObjectName(QStringLiteral("ribbonPanels"));
  outer->addWidget(d_->stack);

  connect(d_->tabs, &QTabBar::currentChanged, this, [this](int index) {
    if (index < 0) return;
    d_->stack->setCurrentIndex(index);
    emit categoryChanged(index);
  });
}

void Ribbon::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // The panels sit on a white card with a thin rounded border.
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(kPanelsBorder);
  painter.setBrush(kPanelsBackground);
  painter.drawRoundedRect(QRectF(d_->stack->geometry()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

Ribbon::~Ribbon() {
  delete d_;
}

int Ribbon::addCategory(const QString& text) {
  Category category;
  category.page = new QWidget;
  category.page->setObjectName(QStringLiteral("ribbonPage"));
  category.layout = new QHBoxLayout(category.page);
  category.layout->setContentsMargins(2, 2, 2, 2);
  category.layout->setSpacing(0);
  category.layout->addStretch(1);
  d_->categories.push_back(category);
  d_->stack->addWidget(category.page);
  return d_->tabs->addTab(text);
}

int Ribbon::addPanel(int categoryIndex, const QString& text) {
  if (categoryIndex < 0 || categoryIndex >= categoryCount()) return -1;
  Category& category = d_->categories[size_t(categoryIndex)];
  const int insertAt = category.layout->count() - 1;  // before the closing stretch
  if (!category.panels.empty()) {
    auto* separator = new QFrame(category.page);
    separator->setObjectName(QStringLiteral("ribbonSeparator"));
    separator->setFrameShape(QFrame::NoFrame);
    separator->setAutoFillBackground(true);
    setColour(separator, QPalette::Window, kSeparatorColour);
    separator->setFixedWidth(1);
    category.layout->insertWidget(insertAt, separator);
    category.layout->setAlignment(separator, Qt::AlignVCenter);
    separator->setFixedHeight(kBodyHeight + 16);
  }
  Panel panel;
  panel.frame = new QWidget(category.page);
  panel.frame->setObjectName(QStringLiteral("ribbonPanel"));
  auto* vertical = new QVBoxLayout(panel.frame);
  // Narrow side margins: all ten panels must fit the smallest window (1240 pixels).
  vertical->setContentsMargins(3, 4, 3, 2);
  vertical->setSpacing(3);
  auto* body = new QWidget(panel.frame);
  body->setObjectName(QStringLiteral("ribbonPanelBody"));
  body->setFixedHeight(kBodyHeight);
  panel.columns = new QHBoxLayout(body);
  panel.columns->setContentsMargins(0, 0, 0, 0);
  panel.columns->setSpacing(4);
  vertical->addWidget(body, 0, Qt::AlignHCenter);
  panel.caption = new QLabel(text, panel.frame);
  panel.caption->setObjectName(QStringLiteral("ribbonCaption"));
  panel.caption->setAlignment(Qt::AlignCenter);
  setColour(panel.caption, QPalette::WindowText, kCaptionColour);
  vertical->addWidget(panel.caption);
  category.layout->insertWidget(category.layout->count() - 1, panel.frame);
  category.panels.push_back(panel);
  return int(category.panels.size()) - 1;
}

QLabel* Ribbon::addLabel(int category, int panelIndex, int id, const QString& text) {
  Panel* p = d_->panel(category, panelIndex);
  if (!p) return nullptr;
  auto* label = new QLabel(text, p->frame);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Values change the text all the time; keep the width of the first text so the panels
  // do not shift while a slider moves.
  label->setMinimumWidth(label->sizeHint().width());
  d_->adopt(label, id);
  d_->placeSmall(*p, label);
  return label;
}

StepSlider* Ribbon::addSlider(int category, int panelIndex, int id, int width, int minimum,
                              int maximum) {
  Panel* p = d_->panel(category, panelIndex);
  if (!p) return nullptr;
  auto* slider = new StepSlider(Qt::Horizontal, p->frame);
  slider->setRange(minimum, maximum);
  slider->setFixedWidth(width);
  d_->adopt(slider, id);
  d_->placeSmall(*p, slider);
  connect(slider, &StepSlider::userMoved, this,
          [this, id](int position) { emit sliderMoved(id, position); });
  return slider;
}

QCheckBox* Ribbon::addCheckBox(int category, int panelIndex, int id, const QString& text) {
  Panel* p = d_->panel(category, panelIndex);
  if (!p) return nullptr;
  auto* box = new QCheckBox(text, p->frame);
  d_->adopt(box, id);
  d_->placeSmall(*p, box);
  connect(box, &QCheckBox::clicked, this, [this, id] { emit commandTriggered(id); });
  return box;
}

QToolButton* Ribbon::addButton(int category, int panelIndex, int id, const QString& text,
                               const QIcon& icon) {
  Panel* p = d_->panel(category, panelIndex);
  if (!p) return nullptr;
  QToolButton* button = d_->makeButton(p->frame, id, text, icon);
  button->setStyleSheet(QString::fromLatin1(kButtonStyle));
  if (icon.isNull()) {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    d_->placeSmall(*p, button);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(kLargeIcon, kLargeIcon));
    // Large buttons keep their full text; the panels are planned to fit without squeezing.
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    button->setMinimumWidth(std::max(56, button->sizeHint().width()));
    d_->placeLarge(*p, button);
  }
  connect(button, &QToolButton::clicked, this, [this, id] { emit commandTriggered(id); });
  return button;
}

QToolButton* Ribbon::addMenuButton(int category, int panelIndex, int id, const QString& text,
                                   const std::vector<std::pair<int, QString>>& items) {
  Panel* p = d_->panel(category, panelIndex);
  if (!p) return nullptr;
  QToolButton* button = d_->makeButton(p->frame, id, text, {});
  button->setStyleSheet(QString::fromLatin1(kButtonStyle));
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  // The face only opens the menu; the items carry the commands.
  button->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(button);
  // Items whose id exists already (the twin menu of the other category) share its action,
  // so a check mark set on one shows in both menus.
  for (const auto& [itemId, itemText] : items) menu->addAction(d_->makeAction(itemId, itemText));
  button->setMenu(menu);
  // Room for the text in either language plus the menu arrow, so a language switch never
  // elides the face ("LoadMode" is wider than "载入模式").
  const int textWidth = std::max(button->fontMetrics().horizontalAdvance(text),
                                 button->fontMetrics().horizontalAdvance(QStringLiteral("LoadMode")));
  button->setMinimumWidth(textWidth + 32);
  d_->placeSmall(*p, button);
  return button;
}

QToolButton* Ribbon::addTabRowButton(int id, const QString& text, const QIcon& icon,
                                     int position) {
  auto* button = new QToolButton;
  button->setText(text);
  if (!icon.isNull()) button->setIcon(icon);
  button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
  return addTabRowButton(id, button, position);
}

QToolButton* Ribbon::addTabRowButton(int id, QToolButton* button, int position) {
  button->setParent(d_->tabs->parentWidget());
  button->setFocusPolicy(Qt::StrongFocus);
  d_->adopt(button, id);
  button->setIconSize(QSize(16, 16));
  button->setFixedHeight(kTabRowHeight - 4);
  d_->tabRowButtons->insertWidget(position, button);
  connect(button, &QToolButton::clicked, this, [this, id] { emit commandTriggered(id); });
  return button;
}

QMenu* Ribbon::applicationMenu() const {
  return d_->appMenu;
}

QAction* Ribbon::addApplicationAction(int id, const QString& text) {
  QAction* action = d_->makeAction(id, text);
  d_->appMenu->addAction(action);
  return action;
}

QString Ribbon::categoryText(int category) const {
  return d_->tabs->tabText(category);
}

void Ribbon::setCategoryText(int category, const QString& text) {
  d_->tabs->setTabText(category, text);
}

QString Ribbon::panelText(int category, int panelIndex) const {
  Panel* p = d_->panel(category, panelIndex);
  return p ? p->caption->text() : QString();
}

void Ribbon::setPanelText(int category, int panelIndex, const QString& text) {
  if (Panel* p = d_->panel(category, panelIndex)) p->caption->setText(text);
}

QRect Ribbon::panelRect(int category, int panelIndex) const {
  Panel* p = d_->panel(category, panelIndex);
  if (!p) return {};
  return QRect(p->frame->mapTo(this, QPoint(0, 0)), p->frame->size());
}

int Ribbon::categoryCount() const {
  return int(d_->categories.size());
}

int Ribbon::currentCategory() const {
  return d_->tabs->currentIndex();
}

void Ribbon::setCurrentCategory(int category) {
  if (category >= 0 && category < categoryCount()) d_->tabs->setCurrentIndex(category);
}

QWidget* Ribbon::control(int id) const {
  auto it = d_->controls.find(id);
  return it == d_->controls.end() ? nullptr : it->second;
}

QAction* Ribbon::action(int id) const {
  auto it = d_->actions.find(id);
  return it == d_->actions.end() ? nullptr : it->second;
}

}  // namespace ax7::ui
