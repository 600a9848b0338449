#pragma once

#include <QWidget>

#include <vector>

// The preview cells of the running run, one per camera, children of the preview
// panel; empty while no run has cells. GUI thread only.
extern std::vector<QWidget*> g_previewCells;
