#include "graphs/eq_panel_labels.h"

#include <cmath>

#include "params/eq_sets.h"

namespace ax7::ui::eqpanel {
namespace {

constexpr QRgb kBandColours[] = {
    0xFA64B4, 0xFF50FF, 0x5050FF, 0x50FF64, 0xFFFF64, 0xFF6464, 0xFFB414, 0xFF64B4,
    0xB464FF, 0x8CB4FF, 0x14B4FF, 0x50FFFF, 0x28FFA0, 0x145AFA, 0x50FFFF, 0xFFFF14,
};

struct TextPair {
  const char* chinese;
  const char* english;
};

QString pick(const TextPair& t, int language) {
  return QString::fromUtf8(language == 0 ? t.chinese : t.english);
}

}  // namespace

QColor bandColour(int number) {
  constexpr int n = int(std::size(kBandColours));
  return QColor::fromRgb(kBandColours[((number % n) + n) % n]);
}

QString eqTitle(int eqSet, int language) {
  // The input and effect sets by number; the output sets are numbered by channel.
  static constexpr TextPair kTitles[kFirstOutputEqSet] = {
      {"话筒A均衡", "Mic A EQ"},    {"话筒B均衡", "Mic B EQ"},  {"混响A均衡", "Reverb A EQ"},
      {"混响B均衡", "Reverb B EQ"}, {"回声A均衡", "Echo A EQ"}, {"回声B均衡", "Echo B EQ"},
      {"音乐均衡", "Music EQ"},
  };
  if (!ValidEqSet(eqSet)) return {};
  if (!IsOutputEqSet(eqSet)) return pick(kTitles[eqSet], language);
  const int channel = OutputChannelOf(eqSet) + 1;
  return language == 0 ? QString::fromUtf8("通道%1均衡").arg(channel)
                       : QStringLiteral("CH%1 EQ").arg(channel);
}

QString gainText(double gainDb) {
  return QString::asprintf("%+-.1fdB", gainDb);
}

QString frequencyText(double hz) {
  return QString::asprintf("%.0fHz", hz);
}

QString qText(double q) {
  return QString::asprintf("%.2f", q);
}

QString gridGainLabel(double gainDb) {
  return QString::asprintf("%+-.0fdB", gainDb);
}

QString statusPrefix(int language, int shownNumber, double hz, double q) {
  if (language == 0) {
    return QString::fromUtf8("EQ号=%1    频率=%2Hz    Q值=%3     增益=")
        .arg(shownNumber)
        .arg(QString::asprintf("%.0f", hz))
        .arg(QString::asprintf("%.2f", q));
  }
  return QString::asprintf("Index=%d     Frequency=%.0fHz    Q=%.2f     Gain=", shownNumber, hz, q);
}

QColor statusGainColour(double gainDb) {
  const double size = std::fabs(gainDb);
  if (size <= 6.0) return QColor(0x00, 0xFF, 0x00);
  if (size < 10.1) return QColor(0xFF, 0xFF, 0x00);
  return QColor(0xFF, 0x00, 0x00);
}

QString typeMenuText(int type, int language) {
  static constexpr TextPair kTypes[] = {
      {"参量(PEQ)", "PEQ"}, {"低通(LP)", "LP"}, {"高通(HP)", "HP"},
      {"低架(LS)", "LS"},   {"高架(HS)", "HS"},
  };
  if (type < 1 || type > 5) return {};
  return pick(kTypes[type - 1], language);
}

QString copyPasteMenuText(int action, int language) {
  static constexpr TextPair kItems[] = {{"复制均衡", "Copy EQ"}, {"粘贴均衡", "Paste EQ"}};
  if (action < 0 || action > 1) return {};
  return pick(kItems[action], language);
}

std::array<ReadoutLine, 3> readoutLines(QPointF markerCentre, const dsp::EqBand& band) {
  // The anchor sits up-left of the marker, further left for a two-digit number so the text
  // clears it.
  const bool twoDigits = band.number + 1 >= 10;
  const double ax = std::round(markerCentre.x() - (twoDigits ? 7 : 4));
  const double ay = std::round(markerCentre.y() - 4);
  const bool above = band.gainDb < -0.01f;
  const std::array<int, 3> dy = above ? std::array{-42, -33, -24} : std::array{18, 27, 36};
  const std::array<QString, 3> labels = {QStringLiteral("F:"), QStringLiteral("G:"),
                                         QStringLiteral("Q:")};
  const std::array<QString, 3> values = {frequencyText(band.freq), gainText(band.gainDb),
                                         qText(band.q)};
  std::array<ReadoutLine, 3> lines;
  for (int i = 0; i < 3; ++i) {
    // Centred on the anchor by a nominal 6-pixel character width; the label takes 12 pixels.
    const int w = (6 * int(values[i].size()) + 12) / 2;
    lines[i] = {labels[i], values[i], QPointF(ax - w + 1, ay + dy[i]),
                QPointF(ax - w + 13, ay + dy[i])};
  }
  return lines;
}

}  // namespace ax7::ui::eqpanel
