#include "capture/CCameraDS.h"

#include "capture/DeviceList.h"
#include "capture/FrameReader.h"
#include "capture/PatternSource.h"
#include "capture/VideoCaptureSource.h"

#include <linux/videodev2.h>
#include <opencv2/imgproc.hpp>

#include <cstring>

namespace {

// How long a grab waits for a frame newer than the last one before the camera
// is taken for dead. Long enough for a slow stream to deliver, short enough
// that one dead camera does not freeze every preview for long.
constexpr std::chrono::milliseconds kGrabWaitMs{2000};

std::unique_ptr<FrameSource> OpenSource(const DeviceEntry& device, int width, int height)
{
    if (device.isV4l2) {
        const bool mjpeg = V4l2OffersFormat(CurrentV4l2Io(), device.node.path, V4L2_PIX_FMT_MJPEG);
        return VideoCaptureSource::OpenV4l2(device.node.path, mjpeg, width, height);
    }
    switch (device.source.kind) {
    case SourceSpec::Kind::Pattern:
        return std::make_unique<PatternSource>(device.source, width, height);
    case SourceSpec::Kind::File:
        return VideoCaptureSource::OpenFile(device.source.location);
    case SourceSpec::Kind::Url:
        return VideoCaptureSource::OpenUrl(device.source.location);
    }
    return nullptr;
}

} // namespace

struct CCameraDS::Impl
{
    std::unique_ptr<FrameReader> reader;
    int width = 0;
    int height = 0;
    uint64_t sequence = 0; // of the frame last taken from the reader
    cv::Mat taken;         // that frame as the source gave it
    cv::Mat image;         // what GrabFrame lends out
    std::chrono::steady_clock::time_point frameTime;
};

CCameraDS::CCameraDS() : m_impl(std::make_unique<Impl>()) {}

CCameraDS::~CCameraDS()
{
    Close();
}

int CCameraDS::DeviceCount()
{
    return int(ListDevices().size());
}

int CCameraDS::DeviceName(int deviceIndex, char* buffer, int bufferSize)
{
    const std::vector<DeviceEntry> devices = ListDevices();
    if (devices.empty())
        return 0;
    if (deviceIndex < 0 || size_t(deviceIndex) >= devices.size() || !buffer || bufferSize < 1)
        return 1;
    const std::string& name = devices[size_t(deviceIndex)].Name();
    const size_t length = std::min(name.size(), size_t(bufferSize - 1));
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    return 1;
}

bool CCameraDS::Open(int deviceIndex, int width, int height)
{
    Close();
    if (deviceIndex < 0 || width < 1 || height < 1)
        return false;
    const std::vector<DeviceEntry> devices = ListDevices();
    if (size_t(deviceIndex) >= devices.size())
        return false;
    std::unique_ptr<FrameSource> source = OpenSource(devices[size_t(deviceIndex)], width, height);
    if (!source)
        return false;
    m_impl->width = width;
    m_impl->height = height;
    m_impl->reader = std::make_unique<FrameReader>(std::move(source));
    return true;
}

cv::Mat* CCameraDS::GrabFrame()
{
    Impl& d = *m_impl;
    if (!d.reader || !d.reader->TakeNewer(d.sequence, d.taken, d.frameTime, kGrabWaitMs))
        return nullptr;

    // Sources may give gray or BGRA pictures, and devices another size than
    // the one asked for: the image handed out is always BGR at that size.
    const cv::Mat* bgr = &d.taken;
    cv::Mat converted;
    if (d.taken.depth() != CV_8U) {
        d.taken.convertTo(converted, CV_8U);
        bgr = &converted;
    }
    if (bgr->channels() == 1) {
        cv::cvtColor(*bgr, converted, cv::COLOR_GRAY2BGR);
        bgr = &converted;
    } else if (bgr->channels() == 4) {
        cv::cvtColor(*bgr, converted, cv::COLOR_BGRA2BGR);
        bgr = &converted;
    } else if (bgr->channels() != 3) {
        return nullptr;
    }
    if (bgr->cols == d.width && bgr->rows == d.height) {
        bgr->copyTo(d.image);
    } else {
        const bool shrinking = bgr->cols > d.width || bgr->rows > d.height;
        cv::resize(*bgr, d.image, cv::Size(d.width, d.height), 0, 0,
                   shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
    }
    return &d.image;
}

std::chrono::steady_clock::time_point CCameraDS::LastFrameTime() const
{
    return m_impl->frameTime;
}

void CCameraDS::Close()
{
    Impl& d = *m_impl;
    if (d.reader) {
        d.reader->Stop();
        d.reader.reset();
    }
    d.width = d.height = 0;
    d.sequence = 0;
    d.taken.release();
    d.image.release();
    d.frameTime = {};
}

bool CCameraDS::IsOpen() const
{
    return m_impl->reader != nullptr;
}
