#pragma once

#include "capture/CCameraDS.h"
#include "recording/CAviWriter.h"

#include <opencv2/core/mat.hpp>

#include <memory>
#include <string>
#include <vector>

class QObject;

// One camera of a recording run.
struct CameraSlot
{
    std::unique_ptr<CCameraDS> camera = std::make_unique<CCameraDS>(); // constructed closed
    QObject* cellWindow = nullptr;      // the camera's preview cell (owned by the GUI)
    int deviceIndex = 0;                // 0-based; file and snapshot numbers are deviceIndex + 1
    std::string windowName;             // "Camera #%d"
    int active = 0;                     // 1 while the camera is open and delivering
    std::string fileName;               // the run's AVI file of this camera
    std::unique_ptr<CAviWriter> writer; // may be null
};

// The slot table of the running run, in the order the devices were chosen.
// Filled by the GUI before the capture thread starts and emptied while that
// thread waits in RecordingEnded().
extern std::vector<CameraSlot> g_cameraSlots;

// What the capture thread needs from the window that runs it.
class ICaptureHost
{
  public:
    virtual ~ICaptureHost() = default;
    // A labelled frame for the slot's preview cell. Called on the capture thread;
    // frame is only valid during the call, so the host copies what it keeps.
    virtual void ShowPreview(const CameraSlot& slot, const cv::Mat& frame) = 0;
    // The recording folder of the run, with its trailing separator.
    virtual std::string RecordFolder() = 0;
    // Tears the run down on the GUI thread and returns when that is done.
    virtual void RecordingEnded() = 0;
};

constexpr int kPassPauseMs = 20;

// Time label and snapshot name formats.
std::string FormatLabelTime(time_t when); // "%Y-%m-%d %H:%M:%S"
std::string SnapshotFileName(const std::string& folder, time_t when, int deviceIndex);
// "<folder>[%Y%m%d%H%M%S]#<deviceIndex + 1>.avi" with the run's start time.
std::string RecordingFileName(const std::string& folder, time_t runStart, int deviceIndex);
// Two runs started within one second would get the same file names, and the
// second would overwrite the recordings of the first: the run takes the first
// second from now on whose names are all free.
time_t FreeRunStartTime(const std::string& folder, const std::vector<int>& devices, time_t now);

// Burns the run's time label into a frame.
void DrawTimeLabel(cv::Mat& frame, const std::string& text);

// Marks the run as running. Called on the GUI thread just before the capture
// thread starts, so that a stop given at any moment after the start (also while
// the cameras are still opening) is never overwritten.
void BeginCaptureRun();

// Body of the capture thread: opens the cameras of g_cameraSlots, then makes
// passes until g_captureState is 0, then calls host.RecordingEnded(). Returns 0.
int CaptureThreadProc(ICaptureHost& host);
