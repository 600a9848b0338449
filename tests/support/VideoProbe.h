#pragma once

#include <opencv2/core/mat.hpp>

#include <string>
#include <vector>

// Looks into recorded video files with the ffprobe/ffmpeg tools and OpenCV.
struct VideoInfo
{
    bool ok = false;
    std::string codec; // codec_name, e.g. "mpeg4"
    std::string tag;   // codec_tag_string, e.g. "XVID"
    int width = 0;
    int height = 0;
    std::string frameRate;   // r_frame_rate, e.g. "25/1"
    double durationSec = -1; // container duration; -1 when the file has none (no index)
};
VideoInfo ProbeVideo(const std::string& path);
// "codec tag widthxheight rate", e.g. "mpeg4 XVID 320x240 25/1".
std::string FormatSummary(const VideoInfo& info);

// Presentation times in seconds of the video frames the demuxer returns, in
// file order (empty AVI chunks carry no frame and do not appear).
std::vector<double> FrameTimes(const std::string& path);

// True when ffmpeg decodes the whole file without a single error message.
bool DecodesCleanly(const std::string& path, std::string* errors = nullptr);

// Encodes raw 320x240 BGR frames (25 fps) with the ffmpeg tool into an MPEG-4
// Part 2 AVI tagged XVID; encoderOptions pick the rate control and GOP.
bool EncodeXvidAvi(const std::string& rawBgr, const std::string& outPath,
                   const std::vector<std::string>& encoderOptions);

// The same the way the recorder encodes: fixed quantiser, no B-frames, one
// thread. The reference for the recorder's own encoder.
bool EncodeReferenceAvi(const std::string& rawBgr, const std::string& outPath, int quantiser, int gopFrames);

// Decoded frames (BGR) with their presentation times in seconds.
struct DecodedFrame
{
    cv::Mat image;
    double timeSec = 0;
};
std::vector<DecodedFrame> DecodeFrames(const std::string& path);
