#pragma once
// Start-up timing for measurements: with AX7_TIMING set in the environment, the program prints
// to stderr how long after the process started its main window was first painted.
class QWidget;

namespace ax7::ui {

void ReportFirstPaint(QWidget* window);

}  // namespace ax7::ui
