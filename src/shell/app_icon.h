#pragma once
// The program's icon, painted in code (the same picture as resources/ax7-control.svg, which
// the desktop uses), so the program needs no SVG image plugin.
#include <QIcon>

namespace ax7::ui {

QIcon ApplicationIcon();

}  // namespace ax7::ui
