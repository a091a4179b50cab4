#pragma once
// The output channels page: a strip with the source, mute, phase and link of all eight
// channels, and below it the current channel's mix, EQ with crossover, delay and compressor.
// An edit of the current channel's mix, EQ, delay or compressor goes to the current channel
// and to every linked one; source, mute and phase belong to their own column. The links live
// in the page only: they survive channel switches and start cleared with every new page.
#include <array>
#include <vector>

#include "pages/compressor_rules.h"
#include "pages/page.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace ax7::ui {

class EqEditor;
class OutputNavRow;
class RadioGroup;
class ValueRow;

class OutputPage final : public Page {
  Q_OBJECT
 public:
  static constexpr std::array<int, 8> kSourceIds = {1217, 1218, 1219, 1220,
                                                    1221, 1222, 1223, 1224};
  static constexpr std::array<int, 8> kMuteIds = {1045, 1047, 1048, 1049, 1050, 1051, 1052, 1053};
  static constexpr std::array<int, 8> kPhaseIds = {1054, 1055, 1056, 1057, 1058, 1059, 1060, 1061};
  static constexpr std::array<int, 8> kLinkIds = {1062, 1063, 1064, 1065, 1066, 1067, 1068, 1080};
  static constexpr std::array<int, 4> kMixSliderIds = {1041, 1042, 1043, 1044};
  static constexpr std::array<int, 4> kMixTitleIds = {1123, 1124, 1125, 1126};
  static constexpr std::array<int, 4> kMixValueIds = {1127, 1128, 1129, 1130};
  static constexpr int kPictureId = 1258;
  static constexpr int kDelayBoxId = 1293;
  static constexpr int kSplitRadioId = 1190;
  static constexpr int kChannelDelayRadioId = 1191;
  static constexpr int kSplitSliderId = 1014, kSplitValueId = 1008;
  static constexpr int kDelaySliderId = 1019, kDelayValueId = 1038;
  static constexpr int kCompressorBoxId = 1081;
  static constexpr std::array<int, 4> kCompSliderIds = {1015, 1016, 1017, 1018};
  static constexpr std::array<int, 4> kCompValueIds = {1225, 1226, 1227, 1228};
  static constexpr std::array<int, 4> kCompTitleIds = {1294, 1295, 1296, 1297};

  OutputPage(PageContext& context, int channel, QWidget* parent);

  void RefreshAll() override;
  void ApplyLanguage() override;
  void SelectArgument(int channel) override { SelectChannel(channel); }
  void SelectChannel(int channel);
  int channel() const { return channel_; }

  bool hasEq() const override { return true; }
  bool IsEqBypassed() const override;
  void ToggleEqBypass() override;
  void ResetEq() override;

  // The channels an edit goes to: the linked ones and the current one, each once, 0..7.
  std::vector<int> linkedSet() const;
  bool isLinked(int channel) const { return linked_[size_t(channel)]; }

  EqEditor* eqEditor() const { return editor_; }
  OutputNavRow* navRow() const { return nav_; }
  QComboBox* sourceList(int channel) const { return sources_[size_t(channel)]; }
  QCheckBox* muteBox(int channel) const { return mutes_[size_t(channel)]; }
  QCheckBox* phaseBox(int channel) const { return phases_[size_t(channel)]; }
  QCheckBox* linkBox(int channel) const { return links_[size_t(channel)]; }
  ValueRow* mixRow(int mix) const { return mixes_[size_t(mix)]; }
  QCheckBox* delayBox() const { return delayOn_; }
  QRadioButton* splitRadio() const { return splitRadio_; }
  QRadioButton* channelDelayRadio() const { return channelDelayRadio_; }
  ValueRow* splitRow() const { return split_; }
  ValueRow* delayRow() const { return delay_; }
  QCheckBox* compressorBox() const { return compOn_; }
  ValueRow* compressorRow(compressor::Field field) const { return comps_[size_t(field)]; }
  QLabel* picture() const { return picture_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildStrip(QGridLayout* grid);
  QGroupBox* buildMixGroup();
  QGroupBox* buildDelayGroup();
  QGroupBox* buildCompressorGroup();
  void configureEq();
  void fillSourceLists();
  void refreshCompressor();
  void refreshDelay();
  void applyDelayEnabling();
  QString caption(int id, TextPair fallback) const;

  void onMix(int mix, int value);
  void onSource(int channel, int index);
  void onMute(int channel, bool ticked);
  void onPhase(int channel, bool ticked);
  void onLink(int channel, bool ticked);
  void onDelaySwitch(bool ticked);
  void onDelayMode(int mode);
  void onSplit(int entry);
  void onDelay(int tenths);
  void onCompressorSwitch(bool ticked);
  void onCompressor(compressor::Field field, int position);

  int channel_ = 0;
  std::array<bool, 8> linked_{};

  OutputNavRow* nav_ = nullptr;
  QLabel* picture_ = nullptr;
  std::array<QComboBox*, 8> sources_{};
  std::array<QCheckBox*, 8> mutes_{};
  std::array<QCheckBox*, 8> phases_{};
  std::array<QCheckBox*, 8> links_{};
  QGroupBox* mixGroup_ = nullptr;
  std::array<ValueRow*, 4> mixes_{};
  EqEditor* editor_ = nullptr;

  QGroupBox* delayGroup_ = nullptr;
  QCheckBox* delayOn_ = nullptr;
  RadioGroup* delayMode_ = nullptr;
  QRadioButton* splitRadio_ = nullptr;
  QRadioButton* channelDelayRadio_ = nullptr;
  ValueRow* split_ = nullptr;
  ValueRow* delay_ = nullptr;

  QGroupBox* compGroup_ = nullptr;
  QCheckBox* compOn_ = nullptr;
  std::array<ValueRow*, 4> comps_{};
};

}  // namespace ax7::ui
