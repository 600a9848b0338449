#pragma once

#include <opencv2/core/mat.hpp>

#include <cstdint>

// The synthetic camera stamps every frame with its frame number and capture
// time as a band of black and white blocks across the top of the picture, big
// enough to survive JPEG and MPEG-4 compression and clear of the time label
// drawn at the bottom. Layout, most significant bit first, row by row:
//   4-bit marker 1011, 24-bit frame number (wraps), 44-bit capture time in ms
//   since the Unix epoch (system clock), 8-bit CRC of the 68 bits before it.
// The picture is split into kStampColumns blocks across; a block is
// width / kStampColumns pixels wide and twice that high.
namespace FrameStamp {

constexpr int kColumns = 40;
constexpr int kRows = 2;
constexpr int kMarkerBits = 4;
constexpr uint32_t kMarker = 0xB;
constexpr int kFrameBits = 24;
constexpr int kTimeBits = 44;
constexpr int kCrcBits = 8;
static_assert(kMarkerBits + kFrameBits + kTimeBits + kCrcBits == kColumns * kRows, "stamp fills its band");

inline int BlockWidth(int imageWidth)
{
    return imageWidth / kColumns;
}
inline int BlockHeight(int imageWidth)
{
    return 2 * BlockWidth(imageWidth);
}

// CRC-8 (polynomial 0x07) over marker, frame number and time, as laid out.
uint8_t Crc(uint64_t frameNumber, uint64_t timeMs);

// Draws the stamp into the top rows of a BGR image at least kColumns * 2
// pixels wide.
void Draw(cv::Mat& bgr, int64_t frameNumber, int64_t captureTimeMs);

} // namespace FrameStamp
