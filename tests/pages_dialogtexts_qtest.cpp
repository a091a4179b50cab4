// LoadDialogTexts on a small window, and the tables the program embeds.
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

#include "lang/language_table.h"
#include "pages/dialog_texts.h"

using ax7::lang::LanguageTable;
using ax7::ui::EmbeddedLanguageTable;
using ax7::ui::LoadDialogTexts;

namespace {

template <typename W>
W* Control(QWidget* parent, int id, const QString& text) {
  auto* w = new W(text, parent);
  w->setProperty("ax7Id", id);
  return w;
}

// 相位180° in code page 936.
const char kTable[] =
    "[String]\r\n"
    "//IDD_DIALOG_TEST\r\n"
    "IDD7_title=Test window\r\n"
    "IDD7_1=label\r\n"
    "IDD7_2=button\r\n"
    "IDD7_3=\xCF\xE0\xCE\xBB"
    "180\xA1\xE3\r\n"
    "IDD7_4=frame\r\n"
    "IDD7_5=radio\r\n"
    "IDD7_6=edit\r\n"
    "IDD7_7=\r\n"
    "IDD7_8=nested\r\n"
    "IDD7_9=window\r\n"
    "IDD7_10=slider\r\n"
    "IDD8_1=other dialog\r\n";

}  // namespace

class DialogTextsTest : public QObject {
  Q_OBJECT

 private slots:
  void setsTitleAndCaptionsOfDirectChildren() {
    const LanguageTable table(kTable);
    QWidget window;
    window.setWindowTitle("old title");
    auto* label = Control<QLabel>(&window, 1, "old");
    auto* button = Control<QPushButton>(&window, 2, "old");
    auto* check = Control<QCheckBox>(&window, 3, "old");
    auto* frame = Control<QGroupBox>(&window, 4, "old");
    auto* radio = Control<QRadioButton>(&window, 5, "old");
    auto* edit = new QLineEdit("old", &window);
    edit->setProperty("ax7Id", 6);
    auto* noId = new QLabel("no id", &window);

    LoadDialogTexts(&window, 7, table);

    QCOMPARE(window.windowTitle(), QString("Test window"));
    QCOMPARE(label->text(), QString("label"));
    QCOMPARE(button->text(), QString("button"));
    QCOMPARE(check->text(), QString("相位180°"));
    QCOMPARE(frame->title(), QString("frame"));
    QCOMPARE(radio->text(), QString("radio"));
    QCOMPARE(edit->text(), QString("edit"));
    QCOMPARE(noId->text(), QString("no id"));
  }

  void leavesTextsWithoutAValue() {
    const LanguageTable table(kTable);
    QWidget window;
    window.setWindowTitle("kept title");  // dialog 7 has a title, dialog 8 none
    auto* empty = Control<QLabel>(&window, 7, "kept empty");
    auto* missing = Control<QPushButton>(&window, 11, "kept missing");
    auto* otherDialog = Control<QLabel>(&window, 1, "kept other");

    LoadDialogTexts(&window, 8, table);
    QCOMPARE(window.windowTitle(), QString("kept title"));
    QCOMPARE(otherDialog->text(), QString("other dialog"));

    LoadDialogTexts(&window, 7, table);
    QCOMPARE(empty->text(), QString("kept empty"));
    QCOMPARE(missing->text(), QString("kept missing"));

    QWidget untitled;
    untitled.setWindowTitle("kept");
    LoadDialogTexts(&untitled, 7, LanguageTable());
    QCOMPARE(untitled.windowTitle(), QString("kept"));
    LoadDialogTexts(nullptr, 7, table);  // nothing to do, nothing to crash
  }

  void touchesOnlyDirectChildControls() {
    const LanguageTable table(kTable);
    QWidget window;
    auto* frame = Control<QGroupBox>(&window, 4, "old");
    auto* nested = Control<QLabel>(frame, 8, "nested kept");
    auto* owned = new QDialog(&window);
    owned->setProperty("ax7Id", 9);
    owned->setWindowTitle("owned kept");
    auto* slider = new QSlider(&window);  // no text to set
    slider->setProperty("ax7Id", 10);

    LoadDialogTexts(&window, 7, table);
    QCOMPARE(frame->title(), QString("frame"));
    QCOMPARE(nested->text(), QString("nested kept"));
    QCOMPARE(owned->windowTitle(), QString("owned kept"));
  }

  void embedsBothTables() {
    const auto& zh = EmbeddedLanguageTable(ax7::ui::Language::Chinese);
    const auto& en = EmbeddedLanguageTable(ax7::ui::Language::English);
    QCOMPARE(QString::fromStdString(zh.title(335)), QString("机器设置"));
    QCOMPARE(QString::fromStdString(en.title(335)), QString("Machine Set"));
    QCOMPARE(QString::fromStdString(en.caption(385, 1054)), QString("Phase 180°"));
    // The caption lookup pages build and relabel with; a missing key gives the fallback.
    QCOMPARE(ax7::ui::DialogCaption(en, 385, 1054, "x"), QString("Phase 180°"));
    QCOMPARE(ax7::ui::DialogCaption(zh, 385, 1074, "延时"), QString("延时"));
    QCOMPARE(ax7::ui::DialogCaption(en, 346, 1077, "通道6"), QString("通道6"));
    QCOMPARE(&EmbeddedLanguageTable(ax7::ui::LanguageFromIndex(5)), &zh);

    // A switch back and forth relabels a window completely.
    QWidget window;
    auto* phase = Control<QCheckBox>(&window, 1054, "template");
    LoadDialogTexts(&window, 385, EmbeddedLanguageTable(ax7::ui::Language::English));
    QCOMPARE(phase->text(), QString("Phase 180°"));
    LoadDialogTexts(&window, 385, EmbeddedLanguageTable(ax7::ui::Language::Chinese));
    QCOMPARE(phase->text(), QString("相位180°"));
  }
};

QTEST_MAIN(DialogTextsTest)
#include "pages_dialogtexts_qtest.moc"
