// Records 1, 4, 9 and 16 synthetic cameras through the capture loop, 30 s each
// (each count in a child process of its own, so that peak memory is its own),
// and prints per camera count: distinct frames per second per camera, playing
// time against wall time, CPU seconds per camera-minute, peak memory and bytes
// per camera-hour. Then, as a reference, the frames of one camera are encoded
// once by CAviWriter and once by the ffmpeg command-line tool with the same
// settings, and both costs are printed.
//
//   bench_record [--seconds S] [--cameras 1,4,9,16]

#include "app/ProgramPaths.h"
#include "app/RunState.h"
#include "recording/CAviWriter.h"
#include "recording/CaptureLoop.h"

#include "TempDir.h"
#include "VideoProbe.h"

#include <QCoreApplication>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

using namespace std::chrono;

namespace {

double CpuSeconds(int who)
{
    struct rusage usage;
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakRssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

long long FileBytes(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// Hands previews nowhere, but pays for the copy the window would take.
// Optionally keeps the labelled frames of one camera as raw BGR for the
// reference encode.
class BenchHost : public ICaptureHost
{
  public:
    std::string folder;
    std::ofstream* raw = nullptr;

    void ShowPreview(const CameraSlot& slot, const cv::Mat& frame) override
    {
        cv::Mat copy = frame.clone();
        if (raw && slot.deviceIndex == 0)
            raw->write(reinterpret_cast<const char*>(copy.data),
                       std::streamsize(copy.total() * copy.elemSize()));
    }
    std::string RecordFolder() override { return folder; }
    void RecordingEnded() override {}
};

// One camera count, in a child process: prints one result line.
int RunCameras(int cameras, int seconds, const std::string& folder, const std::string& rawPath)
{
    std::string sources;
    for (int i = 0; i < cameras; ++i)
        sources += i ? ";pattern" : "pattern";
    setenv("TORVANE_SOURCES", sources.c_str(), 1);
    setenv("TORVANE_NO_V4L2", "1", 1);
    g_configPath = folder + "config.ini";

    for (int i = 0; i < cameras; ++i) {
        CameraSlot slot;
        slot.deviceIndex = i;
        slot.fileName = folder + "cam" + std::to_string(cameras) + "_" + std::to_string(i + 1) + ".avi";
        slot.writer = std::make_unique<CAviWriter>();
        if (!slot.writer->Open(slot.fileName)) {
            std::fprintf(stderr, "cannot create %s\n", slot.fileName.c_str());
            return 1;
        }
        g_cameraSlots.push_back(std::move(slot));
    }

    BenchHost host;
    host.folder = folder;
    std::ofstream raw;
    if (!rawPath.empty()) {
        raw.open(rawPath, std::ios::binary);
        host.raw = &raw;
    }
    const bool report = rawPath.empty();

    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const auto wallBefore = steady_clock::now();
    BeginCaptureRun();
    std::thread loop([&host] { CaptureThreadProc(host); });
    const auto until = wallBefore + std::chrono::seconds(seconds);
    std::this_thread::sleep_until(until);
    g_captureState = kCaptureStopRequested;
    loop.join();
    const double wallSec = duration<double>(steady_clock::now() - wallBefore).count();
    const double cpuSec = CpuSeconds(RUSAGE_SELF) - cpuBefore;

    double playing = 0, frames = 0;
    long long bytes = 0;
    for (CameraSlot& slot : g_cameraSlots) {
        frames += double(slot.writer->FramesWritten());
        slot.writer->Close();
        playing += ProbeVideo(slot.fileName).durationSec;
        bytes += FileBytes(slot.fileName);
        slot.camera->Close();
    }
    playing /= cameras;
    if (!report)
        return 0;
    std::printf("%7d  %12.1f  %9.2f  %8.2f  %6.3f  %14.2f  %9.1f  %16.1f\n", cameras,
                frames / cameras / playing, playing, wallSec, playing / wallSec,
                cpuSec / (cameras * wallSec / 60.0), PeakRssKiB() / 1024.0,
                double(bytes) / cameras / playing * 3600.0 / (1 << 20));
    std::fflush(stdout);
    return 0;
}

// The reference: the raw frames of one camera encoded by CAviWriter in-process
// and by the ffmpeg CLI with the same settings.
void Reference(const std::string& rawPath, const std::string& folder)
{
    const long long rawBytes = FileBytes(rawPath);
    const long long frameBytes = 320LL * 240 * 3;
    if (rawBytes < frameBytes) {
        std::printf("reference: no frames collected\n");
        return;
    }
    const long long frames = rawBytes / frameBytes;

    const std::string ours = folder + "reference_ours.avi";
    double cpuBefore = CpuSeconds(RUSAGE_SELF);
    {
        CAviWriter writer;
        writer.Open(ours);
        std::ifstream in(rawPath, std::ios::binary);
        cv::Mat frame(240, 320, CV_8UC3);
        const auto t0 = CAviWriter::Clock::now();
        for (long long i = 0; i < frames; ++i) {
            in.read(reinterpret_cast<char*>(frame.data), frameBytes);
            writer.WriteFrame(frame, t0 + milliseconds(40 * i));
        }
        writer.Close();
    }
    const double oursCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;

    const std::string theirs = folder + "reference_ffmpeg.avi";
    cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    const bool encoded = EncodeReferenceAvi(rawPath, theirs, CAviWriter::kQuantiser, CAviWriter::kGopFrames);
    const double theirCpu = CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    if (!encoded) {
        std::printf("reference: ffmpeg failed\n");
        return;
    }
    std::printf(
        "\nreference, %lld frames of one camera (320x240 BGR -> MPEG-4/XVID, q 4, GOP 50, no B-frames):\n",
        frames);
    std::printf("  CAviWriter : %7.3f CPU s (%.2f ms/frame), %9lld bytes\n", oursCpu, oursCpu * 1000 / frames,
                FileBytes(ours));
    std::printf("  ffmpeg CLI : %7.3f CPU s (%.2f ms/frame), %9lld bytes\n", theirCpu,
                theirCpu * 1000 / frames, FileBytes(theirs));
    std::printf("  ratio ours/ffmpeg: CPU %.2f, size %.3f\n", oursCpu / theirCpu,
                double(FileBytes(ours)) / double(FileBytes(theirs)));
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 30;
    std::vector<int> counts{1, 4, 9, 16};
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds")) {
            seconds = std::atoi(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--cameras")) {
            counts.clear();
            std::stringstream list(argv[i + 1]);
            for (std::string item; std::getline(list, item, ',');)
                counts.push_back(std::stoi(item));
        }
    }
    TempDir dir; // needs no application object
    const std::string folder = dir.path();
    const std::string rawPath = folder + "camera1.bgr";

    std::printf("recording synthetic 30 fps cameras for %d s per count (%ld CPUs)\n\n", seconds,
                sysconf(_SC_NPROCESSORS_ONLN));
    std::printf(
        "cameras  frames/s/cam  playing s  wall s  play/wall  CPU s/cam-min  peak MiB  MiB/camera-hour\n");
    std::fflush(stdout);
    auto runChild = [&](int cameras, int runSeconds, const std::string& raw) {
        const pid_t child = fork();
        if (child == 0)
            _exit(RunCameras(cameras, runSeconds, folder, raw));
        int status = 0;
        waitpid(child, &status, 0);
    };
    for (int cameras : counts)
        runChild(cameras, seconds, std::string());
    // A separate short run collects the reference stream, so that writing it
    // does not weigh on the figures above.
    runChild(1, 10, rawPath);
    Reference(rawPath, folder);
    return 0;
}
