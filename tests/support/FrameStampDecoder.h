#pragma once

#include <opencv2/core/mat.hpp>

#include <cstdint>

// Reads the frame number and capture time that the synthetic camera stamps
// into the top of its frames (capture/FrameStamp.h). Works on frames that went
// through lossy compression. The frame number wraps at 2^24; the time is in ms
// since the Unix epoch (system clock). False when no valid stamp is found
// (wrong marker or check bits, image too small, not 8-bit BGR).
bool DecodeFrameStamp(const cv::Mat& bgr, int64_t& frameNumber, int64_t& captureTimeMs);
