#pragma once

#include "capture/FrameSource.h"
#include "capture/SourceList.h"

// The built-in synthetic camera: a moving picture at a fixed rate, each frame
// stamped with its number and capture time (see FrameStamp.h).
class PatternSource : public FrameSource
{
public:
    // Draws at the spec's size, or at width x height when the spec names none.
    PatternSource(const SourceSpec& spec, int width, int height);
    bool Read(cv::Mat& frame, Clock::time_point& captureTime) override;

private:
    void DrawPicture(cv::Mat& frame, int64_t frameNumber);

    Clock::duration m_interval;
    long m_stallAfterFrames;
    cv::Mat m_background;
    Clock::time_point m_start;
    int64_t m_frameNumber = 0;
};
