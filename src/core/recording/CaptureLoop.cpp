#include "recording/CaptureLoop.h"

#include "app/IniFile.h"
#include "app/ProgramPaths.h"
#include "app/RunState.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

std::vector<CameraSlot> g_cameraSlots;

namespace {

std::string FormatLocalTime(time_t when, const char* format)
{
    struct tm local;
    localtime_r(&when, &local);
    char text[64];
    strftime(text, sizeof text, format, &local);
    return text;
}

// The pause between passes; a stop request ends it early.
void PauseUnlessStopped(int pauseMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(pauseMs);
    while (g_captureState.load() != kCaptureStopRequested && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

} // namespace

std::string FormatLabelTime(time_t when)
{
    return FormatLocalTime(when, "%Y-%m-%d %H:%M:%S");
}

std::string SnapshotFileName(const std::string& folder, time_t when, int deviceIndex)
{
    return folder + "[" + FormatLocalTime(when, "%Y%m%d%H%M%S") + "]#" + std::to_string(deviceIndex + 1) +
           ".jpg";
}

std::string RecordingFileName(const std::string& folder, time_t runStart, int deviceIndex)
{
    return folder + "[" + FormatLocalTime(runStart, "%Y%m%d%H%M%S") + "]#" + std::to_string(deviceIndex + 1) +
           ".avi";
}

time_t FreeRunStartTime(const std::string& folder, const std::vector<int>& devices, time_t now)
{
    constexpr int kMaxStepsSec = 3600;
    for (int step = 0; step < kMaxStepsSec; ++step) {
        const time_t candidate = now + step;
        const bool taken = std::any_of(devices.begin(), devices.end(), [&](int device) {
            return PathExists(RecordingFileName(folder, candidate, device));
        });
        if (!taken)
            return candidate;
    }
    return now;
}

void DrawTimeLabel(cv::Mat& frame, const std::string& text)
{
    cv::putText(frame, text, cv::Point(5, 235), cv::FONT_HERSHEY_DUPLEX, 0.800000011920929,
                cv::Scalar(0, 0, 255), 1, cv::LINE_8);
}

void BeginCaptureRun()
{
    // Commands stored while no run was active are forgotten here.
    g_captureState.store(kCaptureRunning);
}

int CaptureThreadProc(ICaptureHost& host)
{
    for (CameraSlot& slot : g_cameraSlots)
        slot.active = slot.camera->Open(slot.deviceIndex, CAviWriter::kWidth, CAviWriter::kHeight) ? 1 : 0;

    const bool drawLabel = IniGetInt(g_configPath, "main", "tmlabel", 1) == 1;
    const std::string folder = host.RecordFolder();
    // The run flag was set to running before this thread started (BeginCaptureRun):
    // a stop given while the cameras were still opening is kept and ends the run here.

    while (g_captureState.load() != kCaptureStopRequested) {
        const time_t passTime = time(nullptr);
        const std::string label = FormatLabelTime(passTime);
        const bool servesSnapshot = g_captureState.load() == kCaptureSnapshotRequested;

        for (CameraSlot& slot : g_cameraSlots) {
            if (!slot.active)
                continue;
            cv::Mat* grabbed = slot.camera->GrabFrame();
            if (!grabbed) {
                slot.active = 0; // dropped for the rest of the run
                if (slot.writer)
                    slot.writer->Flush(); // its last frames reach the disk now, not at the stop
                continue;
            }
            const auto captureTime = slot.camera->LastFrameTime();
            cv::Mat frame = grabbed->clone();
            if (drawLabel)
                DrawTimeLabel(frame, label);
            host.ShowPreview(slot, frame);
            if (servesSnapshot) {
                try {
                    cv::imwrite(SnapshotFileName(folder, passTime, slot.deviceIndex), frame);
                } catch (const cv::Exception&) {
                    // A failed snapshot costs only the snapshot.
                }
            }
            if (slot.writer && slot.writer->IsOpen())
                slot.writer->WriteFrame(frame, captureTime); // a failed file has ended itself
        }

        if (servesSnapshot) {
            int expected = kCaptureSnapshotRequested;
            g_captureState.compare_exchange_strong(expected, kCaptureRunning);
        } else if (g_captureState.load() == kCaptureStopRequested) {
            break;
        }
        PauseUnlessStopped(kPassPauseMs);
    }

    host.RecordingEnded();
    return 0;
}
