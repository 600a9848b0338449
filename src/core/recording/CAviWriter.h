#pragma once

#include <opencv2/core/mat.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

// Writes one camera's recording: MPEG-4 Part 2 video tagged XVID in an AVI
// file, 320 x 240 at 25 frames per second.
//
// Frames are paced by their capture time, not by how often the loop calls
// WriteFrame: each frame goes to its slot on a 1/25 s grid; a frame whose slot
// is already written is dropped, and slots without a frame are left to the AVI
// muxer, which writes empty chunks so a player holds the previous picture. The
// file therefore plays for as long as the camera was recorded, whatever rate
// the camera or the loop achieved.
//
// The grid is anchored at the file's first frame and frames go to the nearest
// slot: a 25 fps camera then sits mid-slot, where capture-time jitter cannot
// push two frames into one slot (anchored anywhere else, a camera in phase
// with a slot boundary loses frames and leaves holes alternately).
//
// The muxer output is handed to the OS at least once a second, so a killed
// process loses at most about the last second.
class CAviWriter
{
  public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;
    static constexpr int kFps = 25;
    // Fixed quantiser: keeps the burnt-in time label legible.
    static constexpr int kQuantiser = 4;
    static constexpr int kGopFrames = 50;
    static constexpr std::chrono::milliseconds kFlushInterval{1000};

    enum class WriteResult
    {
        Written,
        Dropped, // its slot is already written (camera faster than 25 fps)
        Failed,  // the file has ended (write error, or it was never opened)
    };

    CAviWriter();
    ~CAviWriter(); // closes
    CAviWriter(const CAviWriter&) = delete;
    CAviWriter& operator=(const CAviWriter&) = delete;

    // Creates the file and writes its header. False when the file or the
    // encoder cannot be set up; the object is then closed.
    bool Open(const std::string& path);

    // Encodes a BGR 8-bit 3-channel frame captured at captureTime. Another size is
    // scaled to 320 x 240. A write error ends the file cleanly (trailer attempted,
    // resources freed) and returns Failed; later calls return Failed too.
    WriteResult WriteFrame(const cv::Mat& frame, Clock::time_point captureTime);

    // Hands what the muxer holds to the OS now (the camera has stopped
    // delivering, so no later write would do it).
    void Flush();

    // Drains the encoder, writes the trailer and index, closes the file. True
    // when the file is complete. Safe in any state.
    bool Close();

    bool IsOpen() const;
    bool HasFailed() const { return m_failed; }
    const std::string& Path() const { return m_path; }
    // Frames encoded, and slots the file covers (encoded plus empty ones).
    int64_t FramesWritten() const { return m_framesWritten; }
    int64_t SlotsCovered() const;

    // Nearest slot of captureTime on the grid whose slot 0 is at origin
    // (negative before it).
    static int64_t SlotOf(Clock::time_point origin, Clock::time_point captureTime);

  private:
    struct Impl;
    bool EncodeAndWrite();
    void Fail();
    void Release();

    std::unique_ptr<Impl> m_impl;
    std::string m_path;
    Clock::time_point m_firstFrameTime{};
    Clock::time_point m_lastFlush{};
    int64_t m_lastSlot = -1;
    int64_t m_framesWritten = 0;
    bool m_failed = false;
};
