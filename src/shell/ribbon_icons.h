#pragma once
// The ribbon's few pictures, drawn in code: looking them up in the desktop's icon theme cost
// more at start-up than the rest of the ribbon together.
#include <QIcon>

namespace ax7::ui {

enum class RibbonIcon { OpenFile, SaveFile, Exit, About };

QIcon PaintedIcon(RibbonIcon which);

}  // namespace ax7::ui
