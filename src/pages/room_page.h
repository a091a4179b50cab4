#pragma once
// The speaker placement page: per output channel a level and a "Locate" button, and the room
// with the listener and eight speakers. Every move writes the room to the box and sends the
// level trim that the listener's distance gives the speaker's output channel.
#include <array>

#include "pages/page.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWheelEvent;

namespace ax7::ui {

class CSSVolumePanel;
class OutputNavRow;
class SpinButtons;
class StepSlider;

class RoomPage : public Page {
  Q_OBJECT
 public:
  static constexpr int kChannels = 8;
  static constexpr int kSpeakers = 8;
  // Control ids; "+ k" for the output channel k or speaker row k (0..7).
  static constexpr int kLocateId = 1001;
  static constexpr int kAssignId = 1011;
  static constexpr int kLevelId = 1021;
  static constexpr int kLevelTextId = 1031;
  static constexpr int kUnitId = 1041;
  static constexpr int kResetId = 1042;
  static constexpr int kRoomSizeId = 1043;
  static constexpr int kWidthTitleId = 1044;
  static constexpr int kLengthTitleId = 1045;
  static constexpr int kModifyId = 1046;
  static constexpr int kAudienceId = 1047;
  static constexpr int kCenterId = 1048;
  static constexpr int kSoundSourceId = 1049;
  static constexpr int kWidthEditId = 1050;
  static constexpr int kWidthSpinId = 1051;
  static constexpr int kLengthEditId = 1052;
  static constexpr int kLengthSpinId = 1053;
  static constexpr int kListenerXEditId = 1054;
  static constexpr int kListenerXSpinId = 1055;
  static constexpr int kListenerYEditId = 1056;
  static constexpr int kListenerYSpinId = 1057;
  static constexpr int kSpeakerLabelId = 1081;
  static constexpr int kSpeakerXEditId = 1110;
  static constexpr int kSpeakerXSpinId = 1120;
  static constexpr int kSpeakerYEditId = 1130;
  static constexpr int kSpeakerYSpinId = 1140;
  static constexpr int kPictureId = 1150;

  // Speaker code (output assignment) of the picture's speakers 1..8.
  static constexpr std::array<int, kSpeakers> kSpeakerCodes = {0, 5, 1, 2, 4, 3, 6, 7};

  RoomPage(PageContext& context, QWidget* parent = nullptr);

  void RefreshAll() override;
  void ApplyLanguage() override;

  // Sends the level trim of speaker s (1..8) for its distance to the listener to the first
  // output channel assigned the speaker's code; nothing when no channel carries it.
  void applySpeakerTrim(int speaker);
  // The trim a distance gives: +3 dB on the listener, 0 dB at 1 m, -3 dB per further metre.
  static float TrimForDistance(float metres);

  CSSVolumePanel* picture() const { return picture_; }
  QPushButton* locate(int channel) const { return locate_[size_t(channel)]; }
  QLabel* assignment(int channel) const { return assign_[size_t(channel)]; }
  StepSlider* level(int channel) const { return levels_[size_t(channel)]; }
  QLabel* levelText(int channel) const { return levelTexts_[size_t(channel)]; }
  // Position row 0 is the listener, 1..8 the speakers.
  QLineEdit* xEdit(int row) const { return positions_[size_t(row)].xEdit; }
  QLineEdit* yEdit(int row) const { return positions_[size_t(row)].yEdit; }
  SpinButtons* xSpin(int row) const { return positions_[size_t(row)].xSpin; }
  SpinButtons* ySpin(int row) const { return positions_[size_t(row)].ySpin; }
  QLineEdit* widthEdit() const { return widthEdit_; }
  QLineEdit* lengthEdit() const { return lengthEdit_; }
  SpinButtons* widthSpin() const { return widthSpin_; }
  SpinButtons* lengthSpin() const { return lengthSpin_; }
  OutputNavRow* navRow() const { return nav_; }

 protected:
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct PositionRow {
    QLineEdit* xEdit = nullptr;
    QLineEdit* yEdit = nullptr;
    SpinButtons* xSpin = nullptr;
    SpinButtons* ySpin = nullptr;
  };

  void buildPositionRow(int row, int xEditId, int xSpinId, int yEditId, int ySpinId);
  int roomWidth() const;   // metres 1..10, from the width spin
  int roomLength() const;  // metres 1..10, from the length spin
  void showRoomSize(int width, int length);
  // Room size, positions and picture from memory's room values.
  void showLayout();
  void showPosition(int row, float x, float y);
  void setPositionSpinRanges();

  // Stores the room values with the size the page shows and writes the room block.
  void storeRoom();
  void moveItem(int row, float x, float y, bool fromPicture);
  void positionEntered(int row, bool setSpins);
  void positionStepped(int row, bool isX, int delta);
  void sizeStepped(bool isWidth, int delta);
  void applySize(bool setSpins);
  void center();
  void reset();
  void locateClicked(int channel);
  void levelMoved(int channel, int position);
  void pictureMoved(int item, float x, float y);
  QString assignmentText(int channel) const;

  std::array<QPushButton*, kChannels> locate_{};
  std::array<QLabel*, kChannels> assign_{};
  std::array<StepSlider*, kChannels> levels_{};
  std::array<QLabel*, kChannels> levelTexts_{};
  std::array<QLabel*, kSpeakers> speakerLabels_{};
  std::array<PositionRow, kSpeakers + 1> positions_{};
  QLineEdit* widthEdit_ = nullptr;
  QLineEdit* lengthEdit_ = nullptr;
  SpinButtons* widthSpin_ = nullptr;
  SpinButtons* lengthSpin_ = nullptr;
  QLabel* xTitle_ = nullptr;
  QLabel* yTitle_ = nullptr;
  CSSVolumePanel* picture_ = nullptr;
  OutputNavRow* nav_ = nullptr;
  int wheelRemainder_ = 0;
};

}  // namespace ax7::ui
