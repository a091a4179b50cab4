#include "pages/remote_learning_window.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <memory>

#include "core/core.h"
#include "pages/key_learning.h"
#include "pages/page_factory.h"
#include "pages/pictures.h"
#include "pages/prompter.h"
#include "remote/remote_file.h"

namespace ax7::ui {

namespace {

constexpr TextPair kTitle = {"遥控学习", "Learn remoter control "};
constexpr TextPair kLoad = {"载入参数", "Load file"};
constexpr TextPair kSave = {"保存参数", "Save file"};
constexpr TextPair kApply = {"应用参数", "Apply"};
constexpr TextPair kApplied = {"遥控器键码保存成功!", "Save successed !"};
constexpr TextPair kNoBox = {"请先连接机器再进行此操作!", "Please connect the box first!"};
constexpr TextPair kLoaded = {"载入遥控文件成功", "Remote file loaded"};
constexpr TextPair kLoadFailed = {"载入遥控文件失败", "Remote file not loaded"};
constexpr TextPair kSaved = {"保存遥控文件成功", "Remote file saved"};
constexpr TextPair kSaveFailed = {"保存遥控文件失败", "Remote file not saved"};
constexpr TextPair kReadCaption = {"无法读取文件", "Can't read file"};
constexpr TextPair kWriteCaption = {"无法写入文件", "Can't write to file"};
constexpr TextPair kReplaceCaption = {"保存遥控文件", "Save remote file"};
constexpr const char* kFilter = "Remote Data File(*.remo)";

// Where the pictures and buttons sit, in pixels.
constexpr QPoint kRemoteAt{10, 8};
constexpr QPoint kInstructionsAt{215, 8};
constexpr QSize kWindowSize{593, 566};
constexpr int kButtonsTop = 526;

QString Native(const std::string& path) {
  return QString::fromStdString(path);
}

}  // namespace

KeyArea::KeyArea(int controlId, QWidget* parent) : QWidget(parent), controlId_(controlId) {
  setProperty("ax7Id", controlId);
  setObjectName(QString("key%1").arg(controlId));
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_TranslucentBackground);
}

void KeyArea::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void KeyArea::mouseReleaseEvent(QMouseEvent* event) {
  const bool inside = rect().contains(event->position().toPoint());
  const bool click = pressed_ && event->button() == Qt::LeftButton && inside;
  pressed_ = false;
  // Last: the handler runs a dialog, and the program may close this window meanwhile.
  if (click) emit clicked(controlId_);
}

RemoteLearningWindow::RemoteLearningWindow(PageContext& context, QWidget* parent)
    : ToolWindow(context, kRemoteLearningWindow, parent), link_(context.core().link) {
  // No periodic status requests while the window exists (they would end up between the learn
  // command and its answer). Counted, so a synchronisation meanwhile does not end the pause.
  link_.pauseStatusPoll();

  setFixedSize(kWindowSize);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);

  remote_ = new QLabel(this);
  remote_->setObjectName("remote");
  remote_->setGeometry(QRect(kRemoteAt, pictures::kRemoteSize));
  remote_->setPixmap(pictures::Render(pictures::kRemoteSize, pictures::PaintRemote));

  instructions_ = new QLabel(this);
  instructions_->setObjectName("instructions");
  instructions_->setGeometry(QRect(kInstructionsAt, pictures::kInstructionsSize));

  for (const remote::KeyInfo& k : remote::Keys()) {
    auto* area = new KeyArea(k.controlId, this);
    area->setGeometry(pictures::RemoteKeyAreas()[size_t(k.key - 1)].translated(kRemoteAt));
    area->raise();
    connect(area, &KeyArea::clicked, this, &RemoteLearningWindow::LearnKey);
    areas_[size_t(k.key - 1)] = area;
  }

  load_ = new ImageButton({}, this);
  save_ = new ImageButton({}, this);
  apply_ = new ImageButton({}, this);
  const int width = 110, gap = 14;
  int x = kWindowSize.width() - 10 - 3 * width - 2 * gap;
  for (auto [button, id] : {std::pair{load_, kIdLoad}, {save_, kIdSave}, {apply_, kIdApply}}) {
    button->setProperty("ax7Id", id);
    button->setGeometry(x, kButtonsTop, width, 30);
    x += width + gap;
  }
  connect(load_, &ImageButton::clicked, this, [this] { LoadRemoteFile(); });
  connect(save_, &ImageButton::clicked, this, [this] { SaveRemoteFile(); });
  connect(apply_, &ImageButton::clicked, this, &RemoteLearningWindow::ApplyRemoteKeys);
  RemoteLearningWindow::ApplyLanguage();
}

RemoteLearningWindow::~RemoteLearningWindow() {
  // Not through the context: the main window may be half destroyed when it deletes this one.
  link_.resumeStatusPoll();
}

void RemoteLearningWindow::ApplyLanguage() {
  const PageContext& c = context();
  setWindowTitle(c.text(kTitle));
  load_->setText(c.text(kLoad));
  save_->setText(c.text(kSave));
  apply_->setText(c.text(kApply));
  ToolWindow::ApplyLanguage();  // the table's wording where it has one
  const Language language = c.language();
  instructions_->setPixmap(pictures::Render(
      pictures::kInstructionsSize,
      [language](QPainter& p, const QRect& r) { pictures::PaintInstructions(p, r, language); }));
}

void RemoteLearningWindow::keyPressEvent(QKeyEvent* event) {
  // Apply is the window's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    ApplyRemoteKeys();
    return;
  }
  ToolWindow::keyPressEvent(event);
}

bool RemoteLearningWindow::boxOpen() const {
  return context().core().link.deviceOpen();
}

void RemoteLearningWindow::showNoBox() {
  context().ShowInfoBox(context().text(kNoBox), kInfoMs);
}

remote::RemoteKeys RemoteLearningWindow::table() const {
  return context().core().mem.dev.g_remoteKeys.snapshot();
}

void RemoteLearningWindow::LearnKey(int controlId) {
  const remote::KeyInfo* key = remote::KeyByControl(controlId);
  if (key == nullptr || closing()) return;
  PageContext& c = context();
  const auto dialog = std::make_unique<KeyLearningDialog>(c, c.text(key->zh, key->en), this);
  const int number = key->key;
  // Whether the window is still there afterwards does not matter: nothing follows.
  RunKeyLearning(*this, *dialog,
                 [&c, number] { c.core().ui.SendCommand(remote::kCmdLearnKey, number); });
}

void RemoteLearningWindow::ApplyRemoteKeys() {
  // Without a box the table would be dropped on the way; claiming it was stored would be false.
  if (!boxOpen()) {
    showNoBox();
    return;
  }
  remote::ApplyRemoteKeys(context().core().queue, table());
  context().ShowInfoBox(context().text(kApplied), kInfoMs);
}

int RemoteLearningWindow::LoadRemoteFile() {
  PageContext& c = context();
  if (!boxOpen()) {
    showNoBox();
    return 0;
  }
  const QString chosen = c.prompter().openFileName(c.dialogOwner(), QString::fromUtf8(kFilter));
  if (chosen.isEmpty()) return 0;
  const std::string path = remote::RemoteFilePath(chosen.toStdString());

  remote::RemoteKeys keys = table();
  const remote::RemoteFileResult read = remote::ReadRemoteFile(path, keys);
  if (!read.ok) {
    const QString text = c.language() == Language::English
                             ? QString("Can't read file:\n%1\n%2")
                                   .arg(Native(path), QString::fromStdString(read.reason))
                             : QString::fromUtf8("无法读取文件:\n%1\n%2")
                                   .arg(Native(path), QString::fromStdString(read.reason));
    c.prompter().showWarning(c.dialogOwner(), text, c.text(kReadCaption));
    c.ShowInfoBox(c.text(kLoadFailed), kInfoMs);
    return -1;
  }
  c.core().mem.dev.g_remoteKeys.copyIn(0, keys.data(), keys.size());
  remote::ApplyRemoteKeys(c.core().queue, keys);
  c.ShowInfoBox(c.text(kLoaded), kInfoMs);
  return 1;
}

int RemoteLearningWindow::SaveRemoteFile() {
  PageContext& c = context();
  if (!boxOpen()) {
    showNoBox();
    return 0;
  }
  const QString chosen = c.prompter().saveFileName(c.dialogOwner(), QString::fromUtf8(kFilter), {},
                                                   QString::fromUtf8(remote::kRemoteExtension));
  if (chosen.isEmpty()) return 0;
  const std::string path = remote::RemoteFilePath(chosen.toStdString());
  // The file dialog asked about the name the user gave, not about the one written.
  if (path != chosen.toStdString() && QFileInfo::exists(Native(path))) {
    const QString question =
        c.language() == Language::English
            ? QString("%1 already exists.\nDo you want to replace it?").arg(Native(path))
            : QString::fromUtf8("%1 已存在。\n要替换它吗?").arg(Native(path));
    if (c.prompter().askYesNo(c.dialogOwner(), question, c.text(kReplaceCaption)) != Answer::Yes)
      return 0;
  }
  const SaveOutcome saved = remote::WriteRemoteFile(path, table());
  if (!saved.ok) {
    const QString text =
        c.language() == Language::English
            ? QString("Errcode=%1,Can't write to file:\n%2\nProbaby it is write protected.")
                  .arg(saved.systemError)
                  .arg(Native(path))
            : QString::fromUtf8("错误码=%1,无法写入文件:\n%2\n文件可能是写保护的。")
                  .arg(saved.systemError)
                  .arg(Native(path));
    c.prompter().showWarning(c.dialogOwner(), text, c.text(kWriteCaption));
    c.ShowInfoBox(c.text(kSaveFailed), kInfoMs);
    return -1;
  }
  c.ShowInfoBox(c.text(kSaved), kInfoMs);
  return 1;
}

ToolWindow* CreateRemoteLearningWindow(PageContext& context, QWidget* owner) {
  return new RemoteLearningWindow(context, owner);
}

// The keys are read from the box when the window opens.
bool RemoteLearningAvailable(PageContext& context) {
  return context.core().link.deviceOpen();
}

}  // namespace ax7::ui
