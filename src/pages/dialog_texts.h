#pragma once
// Window titles and control captions of the pages and tool windows, from the language tables
// embedded in the program.
#include <QString>

#include "lang/language_table.h"
#include "pages/language.h"

class QWidget;

namespace ax7::ui {

// The embedded table of a language. Read once; a table that cannot be read is empty, so windows
// keep the texts they were built with.
const ax7::lang::LanguageTable& EmbeddedLanguageTable(Language language);

// The one lookup of a control's caption: "IDD<dialogId>_<controlId>", or `fallback` when the
// table has no value for it. Used when a control is built and again when it is relabelled, so
// both read the same key.
QString DialogCaption(const ax7::lang::LanguageTable& table, int dialogId, int controlId,
                      const QString& fallback = {});

// Sets the window's title from "IDD<dialogId>_title" and, for every direct child widget with
// the int property "ax7Id", its text from "IDD<dialogId>_<ax7Id>". A missing or empty value
// leaves the text as it is. Child windows (dialogs owned by this one) are not controls of it.
void LoadDialogTexts(QWidget* window, int dialogId, const ax7::lang::LanguageTable& table);

}  // namespace ax7::ui
