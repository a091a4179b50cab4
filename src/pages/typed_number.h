#pragma once
// Numbers typed into edit boxes: the leading number of the text, as a person reads it. "12.5ms"
// is 12.5, "5m" is 5, text without a leading number is 0. Words such as "nan" or "inf" are no
// numbers here, so a typed value is always finite.
#include <QString>

namespace ax7::ui {

double LeadingNumber(const QString& text);
int LeadingInt(const QString& text);

}  // namespace ax7::ui
