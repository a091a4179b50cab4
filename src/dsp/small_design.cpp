#include "dsp/small_design.h"

#include <cmath>

#include "dsp/design_core.h"

namespace ax7::dsp {

int smallDesignSection(int type, double gainDb, double f0, double q, double sampleRate,
                       BiquadCoefficients& out) {
  if (type < 1 || type > 7) return kSmallDesignUnknownType;
  const detail::DesignInputs in = detail::clampDesignInputs(gainDb, f0, q);
  // Also rejects a zero or NaN sample rate, which would give NaN coefficients.
  if (!(in.f0 < 0.5 * sampleRate)) return kSmallDesignBadRate;

  const detail::Angles w = detail::anglesAt(in.f0, sampleRate);
  const double alpha = w.sw / (2 * in.q);
  const double a = std::pow(10.0, in.gainDb / 40);
  switch (type) {
    case 1:
      out = detail::peaking(w, alpha, a);
      break;
    case 2:
    case 3:
      out = detail::secondOrderPass(type == 3, w, alpha, 1.0);
      break;
    case 4:
      out = detail::lowShelf(w, alpha, a);
      break;
    case 5:
      out = detail::highShelf(w, alpha, a);
      break;
    case 6:
      out = detail::normalise(alpha, 0, -alpha, 1 + alpha, -2 * w.cw, 1 - alpha);
      break;
    default:  // 7
      out = detail::normalise(1, -2 * w.cw, 1, 1 + alpha, -2 * w.cw, 1 - alpha);
      break;
  }
  return kSmallDesignOk;
}

}  // namespace ax7::dsp
