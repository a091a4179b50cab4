#pragma once
// Window titles and control captions of the pages and tool windows, from the language tables
// embedded in the program.
#include "lang/language_table.h"

class QWidget;

namespace ax7::ui {

// The embedded table of a language: 1 English, anything else Chinese. Read once; a table that
// cannot be read is empty, so windows keep the texts they were built with.
const ax7::lang::LanguageTable& EmbeddedLanguageTable(int language);

// Sets the window's title from "IDD<dialogId>_title" and, for every direct child widget with
// the int property "ax7Id", its text from "IDD<dialogId>_<ax7Id>". A missing or empty value
// leaves the text as it is. Child windows (dialogs owned by this one) are not controls of it.
void LoadDialogTexts(QWidget* window, int dialogId, const ax7::lang::LanguageTable& table);

}  // namespace ax7::ui
