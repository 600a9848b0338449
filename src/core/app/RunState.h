#pragma once

#include <atomic>

// State of the recording run shared between the GUI thread and the capture thread.

// Run flag: the stop and snapshot commands only store a value here.
enum CaptureState : int
{
    kCaptureStopRequested = 0, // also the value before the first run
    kCaptureRunning = 1,
    kCaptureSnapshotRequested = 2,
};
extern std::atomic<int> g_captureState;

// Size of one preview cell in pixels; recomputed by the GUI on every resize and
// read by the capture thread whenever it hands a frame to a cell.
extern std::atomic<int> g_cellWidth;
extern std::atomic<int> g_cellHeight;

// Rows and columns of the preview grid of the current (or last) run. GUI thread only.
extern int g_gridRows;
extern int g_gridCols;
