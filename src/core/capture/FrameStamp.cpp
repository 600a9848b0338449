#include "capture/FrameStamp.h"

#include <opencv2/imgproc.hpp>

namespace FrameStamp {
namespace {

constexpr uint64_t kFrameMask = (uint64_t(1) << kFrameBits) - 1;
constexpr uint64_t kTimeMask = (uint64_t(1) << kTimeBits) - 1;

} // namespace

uint8_t Crc(uint64_t frameNumber, uint64_t timeMs)
{
    uint8_t crc = 0;
    auto feed = [&crc](uint64_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            const bool top = (crc & 0x80) != 0;
            crc = uint8_t(crc << 1);
            if (top != bool((value >> i) & 1))
                crc ^= 0x07;
        }
    };
    feed(kMarker, kMarkerBits);
    feed(frameNumber & kFrameMask, kFrameBits);
    feed(timeMs & kTimeMask, kTimeBits);
    return crc;
}

void Draw(cv::Mat& bgr, int64_t frameNumber, int64_t captureTimeMs)
{
    const int blockWidth = BlockWidth(bgr.cols);
    const int blockHeight = BlockHeight(bgr.cols);
    if (blockWidth < 1 || blockHeight * kRows > bgr.rows)
        return;

    const uint64_t frame = uint64_t(frameNumber) & kFrameMask;
    const uint64_t time = uint64_t(captureTimeMs) & kTimeMask;
    const uint8_t crc = Crc(frame, time);
    auto bitAt = [&](int index) -> bool {
        if (index < kMarkerBits)
            return (kMarker >> (kMarkerBits - 1 - index)) & 1;
        index -= kMarkerBits;
        if (index < kFrameBits)
            return (frame >> (kFrameBits - 1 - index)) & 1;
        index -= kFrameBits;
        if (index < kTimeBits)
            return (time >> (kTimeBits - 1 - index)) & 1;
        index -= kTimeBits;
        return (crc >> (kCrcBits - 1 - index)) & 1;
    };

    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const bool bit = bitAt(row * kColumns + column);
            const cv::Rect block(column * blockWidth, row * blockHeight, blockWidth, blockHeight);
            bgr(block).setTo(bit ? cv::Scalar(255, 255, 255) : cv::Scalar(0, 0, 0));
        }
    }
}

} // namespace FrameStamp
