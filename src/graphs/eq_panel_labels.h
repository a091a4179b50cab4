// Texts, colours and text placement of the EQ graph, kept apart from painting so that pages can
// format band values the same way and tests can check placement without pixels.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <array>

#include "dsp/response.h"

namespace ax7::ui::eqpanel {

// One colour per band number for its marker, fill and number; numbers past the table repeat it.
QColor bandColour(int number);

// "话筒A均衡" / "Mic A EQ" .. "通道8均衡" / "CH8 EQ"; empty for a set outside 0..14.
QString eqTitle(int eqSet, int language);

QString gainText(double gainDb);       // "%+-.1fdB"
QString frequencyText(double hz);      // "%.0fHz"
QString qText(double q);               // "%.2f"
QString gridGainLabel(double gainDb);  // "%+-.0fdB"

// The status line up to "Gain=", for band number shownNumber (1-based).
QString statusPrefix(int language, int shownNumber, double hz, double q);
// Green within +-6 dB, yellow up to 10.1 dB either way, red beyond.
QColor statusGainColour(double gainDb);

// Type menu entries for types 1..5 and the copy (0) / paste (1) entries.
QString typeMenuText(int type, int language);
QString copyPasteMenuText(int action, int language);

// The three readout lines (F, G, Q) beside a marker: a grey label and a green value each, their
// top-left corners in client pixels. They stand above the marker for a cut below -0.01 dB.
struct ReadoutLine {
  QString label;
  QString value;
  QPointF labelPos;
  QPointF valuePos;
};
std::array<ReadoutLine, 3> readoutLines(QPointF markerCentre, const dsp::EqBand& band);

}  // namespace ax7::ui::eqpanel
