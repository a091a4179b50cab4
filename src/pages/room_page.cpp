#include "pages/room_page.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "core/core.h"
#include "device/debug_log.h"
#include "graphs/ss_volume_panel.h"
#include "pages/output_nav_row.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/spin_buttons.h"
#include "pages/step_slider.h"
#include "pages/typed_number.h"

namespace ax7::ui {

namespace {

constexpr int kMinSide = 1;
constexpr int kMaxSide = 10;
constexpr int kLocateOff = 8;  // the code that stops the test signal
constexpr int kListenerRow = 0;

// Output assignment names by speaker code 0..7.
constexpr TextPair kAssignNames[8] = {
    {"前置左", "CH-L"}, {"前置右", "CH-R"}, {"后环绕左", "CH-SBL"}, {"后环绕右", "CH-SBR"},
    {"超低", "CH-SUB"}, {"中置", "CH-CEN"}, {"侧环绕左", "CH-SL"},  {"侧环绕右", "CH-SR"},
};
// Names under the speaker symbols, picture order.
constexpr TextPair kPictureNames[RoomPage::kSpeakers] = {
    {"前置左(L)", "L"},       {"中置(CEN)", "CEN"},   {"前置右(R)", "R"},
    {"后环绕左(SBL)", "SBL"}, {"超低(SUB)", "SUB"},   {"后环绕右(SBR)", "SBR"},
    {"侧环绕左(SL)", "SL"},   {"侧环绕右(SR)", "SR"},
};
// Template captions, before the table relabels them.
constexpr const char* kSpeakerRowNames[RoomPage::kSpeakers] = {
    "前置左", "顶置", "前置右", "后置左", "超低", "后置右", "顶置左", "顶置右"};

QString positionText(float metres) {
  return QString::asprintf("%+-.1fm", double(metres));
}

int tenths(double metres) {
  return int(std::lround(metres * 10.0));
}

// Room value index of a position row's X (its Y follows).
int coordIndex(int row) {
  return 2 + 2 * row;
}

int clampSide(int metres) {
  return std::clamp(metres, kMinSide, kMaxSide);
}

}  // namespace

RoomPage::RoomPage(PageContext& context, QWidget* parent) : Page(context, PageKind::Room, parent) {
  auto labelled = [this](int id, const char* zh) {
    auto* label = new QLabel(QString::fromUtf8(zh), this);
    label->setProperty("ax7Id", id);
    return label;
  };

  // Output channels: Locate, assignment, level.
  auto* channels = new QGridLayout;
  channels->setVerticalSpacing(2);
  for (int k = 0; k < kChannels; ++k) {
    locate_[size_t(k)] = new QPushButton(QString::fromUtf8("定位"), this);
    locate_[size_t(k)]->setProperty("ax7Id", kLocateId + k);
    locate_[size_t(k)]->setCheckable(true);
    assign_[size_t(k)] = new QLabel(this);
    assign_[size_t(k)]->setProperty("ax7Id", kAssignId + k);
    assign_[size_t(k)]->setMinimumWidth(80);
    levels_[size_t(k)] = new StepSlider(Qt::Horizontal, this);
    levels_[size_t(k)]->setProperty("ax7Id", kLevelId + k);
    levels_[size_t(k)]->setRange(0, 100);
    levels_[size_t(k)]->setMinimumWidth(120);
    levelTexts_[size_t(k)] = new QLabel(this);
    levelTexts_[size_t(k)]->setProperty("ax7Id", kLevelTextId + k);
    levelTexts_[size_t(k)]->setMinimumWidth(40);
    channels->addWidget(locate_[size_t(k)], k, 0);
    channels->addWidget(assign_[size_t(k)], k, 1);
    channels->addWidget(levels_[size_t(k)], k, 2);
    channels->addWidget(levelTexts_[size_t(k)], k, 3);
    connect(locate_[size_t(k)], &QPushButton::clicked, this, [this, k] { locateClicked(k); });
    connect(levels_[size_t(k)], &StepSlider::userMoved, this,
            [this, k](int p) { levelMoved(k, p); });
  }

  // Room size.
  auto makeEdit = [this](int id) {
    auto* edit = new QLineEdit(this);
    edit->setProperty("ax7Id", id);
    edit->setFixedWidth(58);
    return edit;
  };
  auto makeSpin = [this](int id, QLineEdit* buddy) {
    auto* spin = new SpinButtons(this);
    spin->setProperty("ax7Id", id);
    spin->setBuddy(buddy);
    return spin;
  };
  auto pair = [](QLineEdit* edit, SpinButtons* spin) {
    auto* box = new QHBoxLayout;
    box->setSpacing(0);
    box->addWidget(edit);
    box->addWidget(spin);
    return box;
  };
  widthEdit_ = makeEdit(kWidthEditId);
  widthSpin_ = makeSpin(kWidthSpinId, widthEdit_);
  lengthEdit_ = makeEdit(kLengthEditId);
  lengthSpin_ = makeSpin(kLengthSpinId, lengthEdit_);
  widthSpin_->setRange(kMinSide, kMaxSide);
  lengthSpin_->setRange(kMinSide, kMaxSide);
  auto* modify = new QPushButton(QString::fromUtf8("立即修改"), this);
  modify->setProperty("ax7Id", kModifyId);
  connect(widthSpin_, &SpinButtons::stepped, this, [this](int d) { sizeStepped(true, d); });
  connect(lengthSpin_, &SpinButtons::stepped, this, [this](int d) { sizeStepped(false, d); });
  connect(modify, &QPushButton::clicked, this, [this] { applySize(true); });
  // Enter applies positions only; in the size boxes it is noted and ignored ("Modify" applies).
  for (QLineEdit* edit : {widthEdit_, lengthEdit_}) {
    connect(edit, &QLineEdit::returnPressed, this,
            [] { DebugLog("HandleEditChangeEvent Index=-1"); });
  }

  auto* positions = new QGridLayout;
  positions->setVerticalSpacing(2);
  int line = 0;
  positions->addWidget(labelled(kRoomSizeId, "房间大小"), line++, 0, 1, 6);
  positions->addWidget(labelled(kWidthTitleId, "宽(m)"), line, 0);
  positions->addLayout(pair(widthEdit_, widthSpin_), line, 1);
  positions->addWidget(labelled(kLengthTitleId, "长(m)"), line, 2);
  positions->addLayout(pair(lengthEdit_, lengthSpin_), line, 3);
  positions->addWidget(modify, line++, 4);

  // Listener and speakers: X and Y with their spins.
  positions->addWidget(labelled(kAudienceId, "听众位置"), line, 0);
  xTitle_ = new QLabel(QStringLiteral("X"), this);
  yTitle_ = new QLabel(QStringLiteral("Y"), this);
  positions->addWidget(xTitle_, line, 1, Qt::AlignHCenter);
  positions->addWidget(yTitle_, line++, 3, Qt::AlignHCenter);
  buildPositionRow(kListenerRow, kListenerXEditId, kListenerXSpinId, kListenerYEditId,
                   kListenerYSpinId);
  auto* centre = new QPushButton(QString::fromUtf8("居中"), this);
  centre->setProperty("ax7Id", kCenterId);
  connect(centre, &QPushButton::clicked, this, [this] { center(); });
  positions->addLayout(pair(positions_[0].xEdit, positions_[0].xSpin), line, 1);
  positions->addLayout(pair(positions_[0].yEdit, positions_[0].ySpin), line, 3);
  positions->addWidget(centre, line++, 4);
  positions->addWidget(labelled(kSoundSourceId, "声源的位置"), line++, 0, 1, 6);
  for (int s = 0; s < kSpeakers; ++s) {
    const int row = s + 1;
    buildPositionRow(row, kSpeakerXEditId + s, kSpeakerXSpinId + s, kSpeakerYEditId + s,
                     kSpeakerYSpinId + s);
    speakerLabels_[size_t(s)] = labelled(kSpeakerLabelId + s, kSpeakerRowNames[s]);
    positions->addWidget(speakerLabels_[size_t(s)], line, 0);
    positions->addLayout(pair(positions_[size_t(row)].xEdit, positions_[size_t(row)].xSpin), line,
                         1);
    positions->addLayout(pair(positions_[size_t(row)].yEdit, positions_[size_t(row)].ySpin), line,
                         3);
    ++line;
  }
  auto* resetButton = new QPushButton(QString::fromUtf8("全部复位"), this);
  resetButton->setProperty("ax7Id", kResetId);
  connect(resetButton, &QPushButton::clicked, this, [this] { reset(); });
  positions->addWidget(labelled(kUnitId, "长度单位:米(m)"), line, 0, 1, 3);
  positions->addWidget(resetButton, line++, 4);

  picture_ = new CSSVolumePanel(this);
  picture_->setProperty("ax7Id", kPictureId);
  picture_->setImages(
      pictures::Render(pictures::kListenerSize,
                       [](QPainter& p, const QRect& r) { pictures::PaintListener(p, r); }),
      pictures::Render(pictures::kSpeakerSize,
                       [](QPainter& p, const QRect& r) { pictures::PaintSpeaker(p, r); }));
  connect(picture_, &CSSVolumePanel::itemPicked, this, [this](int item) {
    const QPointF at = picture_->itemMetres(item);
    pictureMoved(item, float(at.x()), float(at.y()));
  });
  connect(picture_, &CSSVolumePanel::itemMoved, this, &RoomPage::pictureMoved);

  nav_ = new OutputNavRow(this);
  nav_->setHidden({OutputNavRow::kDelay, OutputNavRow::kCompressor});
  connect(nav_, &OutputNavRow::pageRequested, this, &Page::showPageRequested);

  auto* left = new QVBoxLayout;
  left->addLayout(channels);
  left->addSpacing(8);
  left->addLayout(positions);
  left->addStretch(1);
  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addWidget(picture_, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(body, 1);
  outer->addWidget(nav_);

  RefreshAll();
  ApplyLanguage();
}

void RoomPage::buildPositionRow(int row, int xEditId, int xSpinId, int yEditId, int ySpinId) {
  PositionRow& r = positions_[size_t(row)];
  auto make = [this](int editId, int spinId, QLineEdit** edit, SpinButtons** spin) {
    *edit = new QLineEdit(this);
    (*edit)->setProperty("ax7Id", editId);
    (*edit)->setFixedWidth(58);
    *spin = new SpinButtons(this);
    (*spin)->setProperty("ax7Id", spinId);
    (*spin)->setBuddy(*edit);
  };
  make(xEditId, xSpinId, &r.xEdit, &r.xSpin);
  make(yEditId, ySpinId, &r.yEdit, &r.ySpin);
  connect(r.xEdit, &QLineEdit::returnPressed, this, [this, row] { positionEntered(row, true); });
  connect(r.yEdit, &QLineEdit::returnPressed, this, [this, row] { positionEntered(row, true); });
  connect(r.xSpin, &SpinButtons::stepped, this,
          [this, row](int d) { positionStepped(row, true, d); });
  connect(r.ySpin, &SpinButtons::stepped, this,
          [this, row](int d) { positionStepped(row, false, d); });
}

void RoomPage::RefreshAll() {
  const ParameterMemory& mem = context().core().mem;
  const int selected = context().locateSelection().button;
  for (int k = 0; k < kChannels; ++k) {
    locate_[size_t(k)]->setChecked(selected == k + 1);
    const int level = mem.pc.getInt(size_t(Describe(Param::ChannelLevel).wordOf(k)));
    levels_[size_t(k)]->setValue(level);
    levelTexts_[size_t(k)]->setText(QString::asprintf("%d%%", levels_[size_t(k)]->value()));
    assign_[size_t(k)]->setText(assignmentText(k));
  }
  showLayout();
  nav_->setPressed(OutputNavRow::kLocation);
}

void RoomPage::showLayout() {
  const ParameterMemory& mem = context().core().mem;
  // A room side outside 1..10 m (a zero from a damaged block) shows, maps and is kept as the
  // nearest size the page offers.
  showRoomSize(clampSide(mem.room.width()), clampSide(mem.room.length()));
  picture_->setRoomSize(float(roomWidth()), float(roomLength()));
  setPositionSpinRanges();
  for (int row = 0; row <= kSpeakers; ++row) {
    const float x = mem.room.coord(coordIndex(row));
    const float y = mem.room.coord(coordIndex(row) + 1);
    showPosition(row, x, y);
    positions_[size_t(row)].xSpin->setPosition(tenths(x));
    positions_[size_t(row)].ySpin->setPosition(tenths(y));
    picture_->setItem(row, x, y);
  }
}

void RoomPage::ApplyLanguage() {
  Page::ApplyLanguage();
  nav_->ApplyLanguage(context().dialogTable(), dialogId());
  for (int k = 0; k < kChannels; ++k) assign_[size_t(k)]->setText(assignmentText(k));
  QStringList names;
  for (const TextPair& name : kPictureNames) names << context().text(name);
  picture_->setSpeakerNames(names);
}

QString RoomPage::assignmentText(int channel) const {
  const int code =
      context().core().mem.pc.getInt(size_t(Describe(Param::SpeakerAssign).wordOf(channel)));
  // A code the page has no name for shows an empty name.
  const QString name = code >= 0 && code < 8 ? context().text(kAssignNames[code]) : QString();
  return QStringLiteral("(%1)").arg(name);
}

float RoomPage::TrimForDistance(float metres) {
  return 3.0f - 3.0f * metres;
}

void RoomPage::applySpeakerTrim(int speaker) {
  if (speaker < 1 || speaker > kSpeakers) return;
  const ParameterMemory& mem = context().core().mem;
  const float dx = mem.room.coord(coordIndex(kListenerRow)) - mem.room.coord(coordIndex(speaker));
  const float dy =
      mem.room.coord(coordIndex(kListenerRow) + 1) - mem.room.coord(coordIndex(speaker) + 1);
  const float trim = TrimForDistance(std::sqrt(dx * dx + dy * dy));
  const int code = kSpeakerCodes[size_t(speaker - 1)];
  for (int k = 0; k < kChannels; ++k) {
    if (mem.pc.getInt(size_t(Describe(Param::SpeakerAssign).wordOf(k))) == code) {
      context().core().ui.SetRoomTrim(k, trim);
      return;
    }
  }
}

int RoomPage::roomWidth() const {
  return clampSide(widthSpin_->position());
}

int RoomPage::roomLength() const {
  return clampSide(lengthSpin_->position());
}

void RoomPage::showRoomSize(int width, int length) {
  widthEdit_->setText(QString::asprintf("%dm", width));
  lengthEdit_->setText(QString::asprintf("%dm", length));
  widthSpin_->setPosition(width);
  lengthSpin_->setPosition(length);
}

void RoomPage::showPosition(int row, float x, float y) {
  positions_[size_t(row)].xEdit->setText(positionText(x));
  positions_[size_t(row)].yEdit->setText(positionText(y));
}

void RoomPage::setPositionSpinRanges() {
  for (PositionRow& r : positions_) {
    r.xSpin->setRange(-roomWidth() * 5, roomWidth() * 5);
    r.ySpin->setRange(-roomLength() * 5, roomLength() * 5);
  }
}

void RoomPage::storeRoom() {
  ParameterMemory& mem = context().core().mem;
  if (mem.room.width() != clampSide(mem.room.width())) mem.room.setWidth(roomWidth());
  if (mem.room.length() != clampSide(mem.room.length())) mem.room.setLength(roomLength());
  context().core().ui.StoreRoomBlock();
}

void RoomPage::moveItem(int row, float x, float y, bool fromPicture) {
  ParameterMemory& mem = context().core().mem;
  mem.room.setCoord(coordIndex(row), x);
  mem.room.setCoord(coordIndex(row) + 1, y);
  if (row == kListenerRow) {
    storeRoom();
    for (int s = 1; s <= kSpeakers; ++s) applySpeakerTrim(s);
  } else if (fromPicture) {
    applySpeakerTrim(row);
    storeRoom();
  } else {
    storeRoom();
    applySpeakerTrim(row);
  }
}

void RoomPage::positionEntered(int row, bool setSpins) {
  PositionRow& r = positions_[size_t(row)];
  const float halfWidth = roomWidth() / 2.0f;
  const float halfLength = roomLength() / 2.0f;
  const float x =
      std::clamp(float(LeadingNumber(r.xEdit->text().toStdString())), -halfWidth, halfWidth);
  const float y =
      std::clamp(float(LeadingNumber(r.yEdit->text().toStdString())), -halfLength, halfLength);
  if (setSpins) {
    r.xSpin->setPosition(tenths(x));
    r.ySpin->setPosition(tenths(y));
  }
  showPosition(row, x, y);
  picture_->setItem(row, x, y);
  moveItem(row, x, y, false);
}

void RoomPage::positionStepped(int row, bool isX, int delta) {
  PositionRow& r = positions_[size_t(row)];
  SpinButtons* spin = isX ? r.xSpin : r.ySpin;
  QLineEdit* edit = isX ? r.xEdit : r.yEdit;
  const int limit = (isX ? roomWidth() : roomLength()) * 5;
  const int position = std::clamp(spin->position() + delta, -limit, limit);
  spin->setPosition(position);
  edit->setText(positionText(float(position / 10.0)));
  edit->setFocus(Qt::OtherFocusReason);
  positionEntered(row, false);
}

void RoomPage::sizeStepped(bool isWidth, int delta) {
  SpinButtons* spin = isWidth ? widthSpin_ : lengthSpin_;
  QLineEdit* edit = isWidth ? widthEdit_ : lengthEdit_;
  const int side = clampSide(spin->position() + delta);
  spin->setPosition(side);
  edit->setText(QString::number(side));
  applySize(false);
}

void RoomPage::applySize(bool setSpins) {
  const int width = clampSide(LeadingInt(widthEdit_->text().toStdString()));
  const int length = clampSide(LeadingInt(lengthEdit_->text().toStdString()));
  widthEdit_->setText(QString::asprintf("%dm", width));
  lengthEdit_->setText(QString::asprintf("%dm", length));
  if (setSpins) {
    widthSpin_->setPosition(width);
    lengthSpin_->setPosition(length);
  }
  picture_->setRoomSize(float(width), float(length));
  ParameterMemory& mem = context().core().mem;
  mem.room.setWidth(width);
  mem.room.setLength(length);
  context().core().ui.StoreRoomBlock();
  // Positions outside the new room stay where they are; only the spins' reach changes.
  for (PositionRow& r : positions_) {
    r.xSpin->setRange(-width * 5, width * 5);
    r.ySpin->setRange(-length * 5, length * 5);
  }
}

void RoomPage::center() {
  ParameterMemory& mem = context().core().mem;
  PositionRow& r = positions_[kListenerRow];
  mem.room.setCoord(coordIndex(kListenerRow), 0.0f);
  r.xEdit->setText(positionText(0.0f));
  r.xSpin->setPosition(0);
  storeRoom();
  mem.room.setCoord(coordIndex(kListenerRow) + 1, 0.0f);
  r.yEdit->setText(positionText(0.0f));
  r.ySpin->setPosition(0);
  storeRoom();
  picture_->setItem(kListenerRow, 0.0f, 0.0f);
  for (int s = 1; s <= kSpeakers; ++s) applySpeakerTrim(s);
}

void RoomPage::reset() {
  context().core().ui.ResetRoom();
  showLayout();
}

void RoomPage::locateClicked(int channel) {
  LocateSelection& selection = context().locateSelection();
  if (locate_[size_t(channel)]->isChecked()) {
    const int word = Describe(Param::SpeakerAssign).wordOf(channel);
    context().core().ui.LocateSpeaker(int(context().core().mem.pc.raw(size_t(word)) & 0xFFu));
    selection.button = channel + 1;
  } else {
    context().core().ui.LocateSpeaker(kLocateOff);
    selection.button = 0;
  }
  for (int k = 0; k < kChannels; ++k) locate_[size_t(k)]->setChecked(selection.button == k + 1);
}

void RoomPage::levelMoved(int channel, int position) {
  context().core().ui.SetParam(Param::ChannelLevel, channel, position);
  levelTexts_[size_t(channel)]->setText(QString::asprintf("%d%%", position));
}

void RoomPage::pictureMoved(int item, float x, float y) {
  if (item < 0 || item > kSpeakers) return;
  PositionRow& r = positions_[size_t(item)];
  showPosition(item, x, y);
  r.xSpin->setPosition(tenths(x));
  r.ySpin->setPosition(tenths(y));
  moveItem(item, x, y, true);
}

void RoomPage::wheelEvent(QWheelEvent* event) {
  // The wheel over the page works the focused level slider or edit box.
  QWidget* focus = QApplication::focusWidget();
  for (StepSlider* slider : levels_) {
    if (focus == slider && slider->isEnabled()) {
      QApplication::sendEvent(slider, event);
      return;
    }
  }
  SpinButtons* spin = nullptr;
  if (focus == widthEdit_) spin = widthSpin_;
  if (focus == lengthEdit_) spin = lengthSpin_;
  for (PositionRow& r : positions_) {
    if (focus == r.xEdit) spin = r.xSpin;
    if (focus == r.yEdit) spin = r.ySpin;
  }
  if (spin == nullptr) {
    Page::wheelEvent(event);
    return;
  }
  wheelRemainder_ += event->angleDelta().y();
  while (std::abs(wheelRemainder_) >= 120) {
    const int delta = wheelRemainder_ > 0 ? 1 : -1;
    wheelRemainder_ -= delta * 120;
    spin->step(delta);
  }
  event->accept();
}

Page* CreateRoomPage(PageContext& context, int, QWidget* parent) {
  return new RoomPage(context, parent);
}

}  // namespace ax7::ui
