#include "pages/eq_editor_text.h"

#include <QRegularExpression>
#include <cmath>

#include "dsp/section_type.h"

namespace ax7::ui::eqtext {

double leadingNumber(const QString& text) {
  // Only what atof would take as a decimal number; "nan" and "inf" are deliberately not numbers
  // here, so no text can put a NaN into a band.
  static const QRegularExpression kNumber(
      QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
  const QRegularExpressionMatch m = kNumber.match(text);
  if (!m.hasMatch()) return 0.0;
  bool ok = false;
  const double v = m.captured(0).trimmed().toDouble(&ok);
  if (ok) return v;
  // toDouble refuses values that overflow; keep their sign so clamping lands on the right end.
  return m.captured(0).trimmed().startsWith(QLatin1Char('-')) ? -INFINITY : INFINITY;
}

QString typeName(int type, Language language) {
  const dsp::SectionTypeName name = dsp::sectionTypeName(type);
  const std::string_view text = language == Language::Chinese ? name.chinese : name.english;
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int typeFromName(const QString& text, Language language) {
  for (int t = 0; t <= 5; ++t) {
    if (text == typeName(t, language)) return t;
  }
  return -1;
}

QString editFrequencyText(double hz) {
  return QString::asprintf("%dHz", int(hz));
}

}  // namespace ax7::ui::eqtext
