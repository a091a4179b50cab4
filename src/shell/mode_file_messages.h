#pragma once
// What the user reads when a mode file cannot be loaded, in the interface language. The core
// describes the failure (an errno, the file's version, an English detail line); the words
// around it are chosen here.
#include <QString>

#include "pages/language.h"
#include "params/mode_file.h"

namespace ax7::ui {

struct ModeFileMessage {
  QString text;
  QString caption;
};

ModeFileMessage ModeFileLoadMessage(const ModeFileResult& result, const QString& path,
                                    Language language);

}  // namespace ax7::ui
