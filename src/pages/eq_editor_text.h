// Texts of the EQ table and band editor: type names, the edit formats and reading numbers back.
#pragma once

#include <QString>

#include "pages/language.h"

namespace ax7::ui::eqtext {

// The number a cell or edit starts with, read as the C library's atof reads it: leading blanks, a
// sign, digits with an optional fraction and exponent; what follows is ignored, so "+6.0dB" reads
// 6 and "1000Hz" 1000. Text that does not start with a number reads 0. Never NaN; an overflowing
// exponent reads as +-infinity, which every caller clamps.
double leadingNumber(const QString& text);

// "OFF", "PEQ", "LP", "HP", "LS", "HS" (Chinese "关闭", "参量", "低通", "高通", "低架", "高架") for
// types 0..5; crossover sections 6..21 as "LP" or "HP"; empty for any other code.
QString typeName(int type, Language language);
// The type 0..5 whose name (in the language) is the text, or -1.
int typeFromName(const QString& text, Language language);

// The band editor's frequency edit, "%dHz" of the whole hertz.
QString editFrequencyText(double hz);

}  // namespace ax7::ui::eqtext
