#include "capture/FrameReader.h"

#include <opencv2/core.hpp>

void FrameSource::Interrupt()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

bool FrameSource::Interrupted()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_interrupted;
}

bool FrameSource::SleepUntil(Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_until(lock, deadline, [this] { return m_interrupted; });
}

FrameReader::FrameReader(std::unique_ptr<FrameSource> source) : m_source(std::move(source))
{
    m_thread = std::thread(&FrameReader::Run, this);
}

FrameReader::~FrameReader()
{
    Stop();
}

void FrameReader::Run()
{
    cv::Mat writing;
    for (;;) {
        FrameSource::Clock::time_point captureTime;
        const bool ok = m_source->Read(writing, captureTime);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (ok) {
                cv::swap(writing, m_latest);
                m_latestTime = captureTime;
                ++m_sequence;
            } else {
                m_ended = true;
            }
        }
        m_newFrame.notify_all();
        if (!ok)
            return;
    }
}

bool FrameReader::TakeNewer(uint64_t& sequence, cv::Mat& frame, FrameSource::Clock::time_point& captureTime,
                            std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool fresh = m_newFrame.wait_for(lock, timeout, [&] { return m_sequence > sequence || m_ended; }) &&
                       m_sequence > sequence;
    if (!fresh)
        return false;
    cv::swap(frame, m_latest);
    captureTime = m_latestTime;
    sequence = m_sequence;
    return true;
}

void FrameReader::Stop()
{
    if (!m_thread.joinable())
        return;
    m_source->Interrupt();
    m_thread.join();
}
