// Grabs from 1, 4, 9 and 16 synthetic 30 fps cameras in one thread, the way
// the capture loop does, and prints per camera count: distinct frames per
// second per camera, the age of a frame when GrabFrame returns it (median and
// 99th percentile) and the CPU the whole process used.
//
//   bench_grab [seconds per run] [source size]
//
// Defaults: 3 s, 320x240. A larger source size (for example 1280x720) adds the
// cost of scaling every frame down to 320x240, as with an HD webcam.

#include "capture/CCameraDS.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

struct Result
{
    double framesPerSecondMin = 0, framesPerSecondMean = 0;
    double ageMedianMs = 0, ageP99Ms = 0, ageMaxMs = 0;
    double cpuPercent = 0;
    long failedGrabs = 0;
};

Result Run(int cameraCount, double seconds, std::chrono::milliseconds pausePerPass,
           const std::string& sourceSize)
{
    std::string sources;
    for (int i = 0; i < cameraCount; ++i)
        sources += "pattern@30,size=" + sourceSize + ";";
    setenv("TORVANE_SOURCES", sources.c_str(), 1);

    std::vector<std::unique_ptr<CCameraDS>> cameras;
    for (int i = 0; i < cameraCount; ++i) {
        cameras.push_back(std::make_unique<CCameraDS>());
        if (!cameras.back()->Open(i, 320, 240)) {
            std::fprintf(stderr, "camera %d did not open\n", i);
            std::exit(1);
        }
        cameras.back()->GrabFrame();
    }

    Result result;
    std::vector<long> distinct(size_t(cameraCount), 0);
    std::vector<Clock::time_point> lastTime(static_cast<size_t>(cameraCount));
    std::vector<double> agesMs;
    const double cpuStart = CpuSeconds();
    const Clock::time_point start = Clock::now();
    const Clock::time_point end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        for (int i = 0; i < cameraCount; ++i) {
            if (!cameras[size_t(i)]->GrabFrame()) {
                ++result.failedGrabs;
                continue;
            }
            const Clock::time_point captured = cameras[size_t(i)]->LastFrameTime();
            agesMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - captured).count());
            if (captured > lastTime[size_t(i)]) {
                ++distinct[size_t(i)];
                lastTime[size_t(i)] = captured;
            }
        }
        if (pausePerPass.count() > 0)
            std::this_thread::sleep_for(pausePerPass);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    result.cpuPercent = 100.0 * (CpuSeconds() - cpuStart) / wall;
    cameras.clear();

    result.framesPerSecondMin = 1e9;
    for (long count : distinct) {
        result.framesPerSecondMin = std::min(result.framesPerSecondMin, double(count) / wall);
        result.framesPerSecondMean += double(count) / wall / cameraCount;
    }
    result.ageMedianMs = Percentile(agesMs, 0.5);
    result.ageP99Ms = Percentile(agesMs, 0.99);
    result.ageMaxMs = Percentile(agesMs, 1.0);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 3.0;
    const std::string sourceSize = argc > 2 ? argv[2] : "320x240";
    std::printf(
        "Synthetic cameras at 30 fps, %s, grabbed at 320x240 in one thread; %.1f s per run; %u CPUs\n",
        sourceSize.c_str(), seconds, std::thread::hardware_concurrency());
    std::printf("CPU%% = whole process (readers + grabbing thread), 100%% = one core\n\n");
    for (const int pauseMs : {0, 20}) {
        std::printf("%s\n", pauseMs ? "With a 20 ms pause after each pass (as the capture loop does):"
                                    : "Grabbing back to back:");
        std::printf("%8s %12s %12s %12s %12s %12s %8s %8s\n", "cameras", "fps/cam min", "fps/cam mean",
                    "age med ms", "age p99 ms", "age max ms", "CPU %", "nulls");
        for (const int count : {1, 4, 9, 16}) {
            const Result r = Run(count, seconds, std::chrono::milliseconds(pauseMs), sourceSize);
            std::printf("%8d %12.1f %12.1f %12.1f %12.1f %12.1f %8.1f %8ld\n", count, r.framesPerSecondMin,
                        r.framesPerSecondMean, r.ageMedianMs, r.ageP99Ms, r.ageMaxMs, r.cpuPercent,
                        r.failedGrabs);
        }
        std::printf("\n");
    }
    return 0;
}
