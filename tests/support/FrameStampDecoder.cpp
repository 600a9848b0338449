#include "FrameStampDecoder.h"

#include "capture/FrameStamp.h"

#include <opencv2/core.hpp>

bool DecodeFrameStamp(const cv::Mat& bgr, int64_t& frameNumber, int64_t& captureTimeMs)
{
    using namespace FrameStamp;
    if (bgr.empty() || bgr.type() != CV_8UC3)
        return false;
    const int blockWidth = BlockWidth(bgr.cols);
    const int blockHeight = BlockHeight(bgr.cols);
    if (blockWidth < 2 || blockHeight * kRows > bgr.rows)
        return false;

    // Judge each block by the mean of its middle, away from edges that
    // compression smears into the neighbours.
    const int marginX = blockWidth / 4;
    const int marginY = blockHeight / 4;
    uint64_t values[4] = {0, 0, 0, 0};
    const int widths[4] = {kMarkerBits, kFrameBits, kTimeBits, kCrcBits};
    int field = 0;
    int usedInField = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const cv::Rect inner(column * blockWidth + marginX, row * blockHeight + marginY,
                                 blockWidth - 2 * marginX, blockHeight - 2 * marginY);
            const cv::Scalar mean = cv::mean(bgr(inner));
            const bool bit = (mean[0] + mean[1] + mean[2]) / 3.0 >= 128.0;
            values[field] = (values[field] << 1) | (bit ? 1 : 0);
            if (++usedInField == widths[field]) {
                ++field;
                usedInField = 0;
            }
        }
    }
    if (values[0] != kMarker || values[3] != Crc(values[1], values[2]))
        return false;
    frameNumber = int64_t(values[1]);
    captureTimeMs = int64_t(values[2]);
    return true;
}
