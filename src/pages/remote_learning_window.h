#pragma once
// The remote learning window: a picture of the remote with a click area on each of the 17
// learnable keys, the instructions, and Load file / Save file / Apply for the remote key table.
// The periodic status request pauses while the window exists.
#include <QWidget>
#include <array>

#include "pages/tool_window.h"
#include "remote/remote_keys.h"

class QLabel;

namespace ax7 {
class UsbLink;
}

namespace ax7::ui {

class ImageButton;

// A key area: invisible, a hand pointer over it, reports a click.
class KeyArea : public QWidget {
  Q_OBJECT
 public:
  KeyArea(int controlId, QWidget* parent);
  int controlId() const { return controlId_; }

 signals:
  void clicked(int controlId);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int controlId_;
  bool pressed_ = false;
};

class RemoteLearningWindow : public ToolWindow {
  Q_OBJECT
 public:
  // Control ids of the buttons (also their text keys).
  static constexpr int kIdApply = 1;
  static constexpr int kIdLoad = 3;
  static constexpr int kIdSave = 4;
  static constexpr int kIdRemote = 1279;
  static constexpr int kIdInstructions = 1216;
  static constexpr int kInfoMs = 1100;

  RemoteLearningWindow(PageContext& context, QWidget* parent);
  ~RemoteLearningWindow() override;

  void ApplyLanguage() override;

  // A key area was clicked: the box learns that key while the key-learning dialog runs.
  void LearnKey(int controlId);
  // Sends the table and tells the user; without a box, says so instead.
  void ApplyRemoteKeys();
  // 1 loaded and sent (or saved), 0 cancelled, -1 failed; each shows its notice.
  int LoadRemoteFile();
  int SaveRemoteFile();

  KeyArea* keyArea(int key) const { return areas_[size_t(key - 1)]; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool boxOpen() const;
  void showNoBox();
  remote::RemoteKeys table() const;

  UsbLink& link_;  // the core outlives the windows
  QLabel* remote_;
  QLabel* instructions_;
  ImageButton* load_;
  ImageButton* save_;
  ImageButton* apply_;
  std::array<KeyArea*, remote::kKeyCount> areas_{};
};

}  // namespace ax7::ui
