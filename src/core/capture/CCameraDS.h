#pragma once

#include <opencv2/core/mat.hpp>

#include <chrono>
#include <memory>

// One capture device opened for grabbing single frames on demand.
//
// Devices are identified by their 0-based index in the device list: the V4L2
// capture nodes in node order, then the extra sources of TORVANE_SOURCES.
class CCameraDS
{
public:
    CCameraDS();
    ~CCameraDS(); // closes
    CCameraDS(const CCameraDS&) = delete;
    CCameraDS& operator=(const CCameraDS&) = delete;

    // Number of video-input devices; 0 when there are none.
    static int DeviceCount();
    // Copies the name of the device at deviceIndex into buffer (NUL-terminated,
    // cut to bufferSize - 1 bytes). Returns 0 when there is no device at all, 1
    // otherwise; the buffer is left untouched for an index outside the list.
    static int DeviceName(int deviceIndex, char* buffer, int bufferSize);

    // Binds the device at deviceIndex and asks for width x height. Frames that
    // arrive in another size are scaled to it.
    bool Open(int deviceIndex, int width, int height);
    // Waits (bounded) for a frame that arrived after the previous grab and returns
    // the camera's own BGR 8-bit 3-channel image holding it. The image stays owned
    // by the camera and is overwritten by the next grab. nullptr on time-out, end
    // of stream or device error.
    cv::Mat* GrabFrame();
    // Capture time of the frame that the last successful GrabFrame returned.
    std::chrono::steady_clock::time_point LastFrameTime() const;
    // Stops the reader and releases the device. Safe in any state; the object
    // can be opened again.
    void Close();
    bool IsOpen() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
