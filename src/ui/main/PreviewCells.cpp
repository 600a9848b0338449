#include "main/PreviewCells.h"

std::vector<QWidget*> g_previewCells;
