#include "pages/key_learning.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/core.h"
#include "remote/remote_keys.h"

namespace ax7::ui {

namespace {

// Controls of the dialog; their texts come from the language table by these ids.
enum : int {
  kIdClose = 1,
  kIdCancel = 3,
  kIdNotice = 1006,
  kIdPrompt = 1007,
  kIdCode = 1038,
  kIdKeyText = 1167,
};

constexpr TextPair kTitle = {"学习中……", "Learning"};
constexpr TextPair kPrompt = {"请您按下遥控器上的对应的按键", "Key code:"};
constexpr TextPair kCancel = {"放弃学习", "Cancel"};
constexpr TextPair kClose = {"关闭", "Close"};
constexpr TextPair kClosing = {"窗口将自动关闭", "Window will be closed!"};

}  // namespace

bool RunKeyLearning(ToolWindow& owner, ToolWindow& dialog, const std::function<void()>& sendLearn) {
  PageContext& context = owner.context();
  context.publishKeyLearning(&dialog);
  struct Unpublish {
    PageContext& context;
    ToolWindow& dialog;
    ~Unpublish() {
      // Closing the tool windows may already have cleared it, and only this dialog's own
      // publication is withdrawn.
      if (context.keyLearning() == &dialog) context.publishKeyLearning(nullptr);
    }
  } unpublish{context, dialog};
  if (sendLearn) sendLearn();
  return owner.runNested([&dialog] { dialog.exec(); });
}

KeyLearningDialog::KeyLearningDialog(PageContext& context, const QString& keyText, QWidget* parent)
    : ToolWindow(context, kKeyLearningWindow, parent) {
  setFixedSize(386, 142);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(240, 250, 255));
  setPalette(pal);

  keyText_ = new QLabel(keyText, this);
  keyText_->setObjectName("keyText");
  keyText_->setAlignment(Qt::AlignCenter);
  keyText_->setGeometry(10, 12, 366, 22);

  prompt_ = new QLabel(this);
  prompt_->setProperty("ax7Id", kIdPrompt);
  prompt_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  prompt_->setGeometry(10, 46, 230, 24);

  code_ = new QLineEdit(this);
  code_->setObjectName("code");
  code_->setEnabled(false);
  // Disabled so nobody types into it, yet the learned code must read clearly.
  QPalette codePal = code_->palette();
  codePal.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
  code_->setPalette(codePal);
  code_->setAlignment(Qt::AlignCenter);
  code_->setGeometry(248, 46, 60, 24);

  notice_ = new QLabel(this);
  notice_->setObjectName("notice");
  notice_->setGeometry(16, 100, 230, 24);

  cancel_ = new QPushButton(this);
  cancel_->setProperty("ax7Id", kIdCancel);
  cancel_->setGeometry(286, 98, 90, 28);
  cancel_->setAutoDefault(false);
  close_ = new QPushButton(this);
  close_->setProperty("ax7Id", kIdClose);
  close_->setGeometry(cancel_->geometry());
  close_->setAutoDefault(false);
  close_->hide();

  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
  closeTimer_.setSingleShot(true);
  closeTimer_.setInterval(kCloseDelayMs);
  connect(&closeTimer_, &QTimer::timeout, this, &KeyLearningDialog::closeAfterCode);
  KeyLearningDialog::ApplyLanguage();
}

void KeyLearningDialog::ApplyLanguage() {
  const PageContext& c = context();
  setWindowTitle(c.text(kTitle));
  prompt_->setText(c.text(kPrompt));
  cancel_->setText(c.text(kCancel));
  close_->setText(c.text(kClose));
  if (learned_) notice_->setText(c.text(kClosing));
  ToolWindow::ApplyLanguage();  // the table's wording where it has one
}

void KeyLearningDialog::ShowLearnedCode(int code) {
  learned_ = true;
  code_->setText(QString::asprintf("%02X", unsigned(code) & 0xFFu));
  cancel_->hide();
  close_->show();
  notice_->setText(context().text(kClosing));
  closeTimer_.start();  // a second code starts the second again
}

void KeyLearningDialog::closeAfterCode() {
  closeTimer_.stop();
  accept();
}

void KeyLearningDialog::done(int result) {
  if (!ended_) {
    ended_ = true;
    closeTimer_.stop();
    if (result != QDialog::Accepted && !learned_) {
      // The learn command is still waiting for its reply (the code), so the stop must not
      // wait for one: release the gate, then send it.
      Core& core = context().core();
      core.link.SetReplyEvent();
      core.ui.SendCommand(remote::kCmdStopLearning);
    }
  }
  QDialog::done(result);
}

}  // namespace ax7::ui
