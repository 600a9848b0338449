#include "app/RunState.h"

std::atomic<int> g_captureState{kCaptureStopRequested};
std::atomic<int> g_cellWidth{0};
std::atomic<int> g_cellHeight{0};
int g_gridRows = 0;
int g_gridCols = 0;
