#include "VideoProbe.h"

#include <QProcess>
#include <QStringList>

#include <opencv2/videoio.hpp>

namespace {

bool RunTool(const QString& tool, const QStringList& args, QByteArray& out, QByteArray* err = nullptr)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return false;
    out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitCode() == 0;
}

} // namespace

VideoInfo ProbeVideo(const std::string& path)
{
    VideoInfo info;
    QByteArray out;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-select_streams", "v:0", "-show_entries",
                  "stream=codec_name,codec_tag_string,width,height,r_frame_rate:format=duration", "-of",
                  "default=noprint_wrappers=1", QString::fromStdString(path)},
                 out))
        return info;
    for (const QByteArray& line : out.split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1).trimmed();
        if (key == "codec_name")
            info.codec = value.toStdString();
        else if (key == "codec_tag_string")
            info.tag = value.toStdString();
        else if (key == "width")
            info.width = value.toInt();
        else if (key == "height")
            info.height = value.toInt();
        else if (key == "r_frame_rate")
            info.frameRate = value.toStdString();
        else if (key == "duration" && value != "N/A")
            info.durationSec = value.toDouble();
    }
    info.ok = !info.codec.empty();
    return info;
}

std::string FormatSummary(const VideoInfo& info)
{
    return info.codec + " " + info.tag + " " + std::to_string(info.width) + "x" +
           std::to_string(info.height) + " " + info.frameRate;
}

std::vector<double> FrameTimes(const std::string& path)
{
    std::vector<double> times;
    QByteArray out;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts_time", "-of",
                  "csv=p=0", QString::fromStdString(path)},
                 out))
        return times;
    for (const QByteArray& line : out.split('\n')) {
        bool ok = false;
        const double t = line.trimmed().toDouble(&ok);
        if (ok)
            times.push_back(t);
    }
    return times;
}

bool DecodesCleanly(const std::string& path, std::string* errors)
{
    QByteArray out, err;
    const bool ran =
        RunTool("ffmpeg", {"-nostdin", "-v", "error", "-i", QString::fromStdString(path), "-f", "null", "-"},
                out, &err);
    if (errors)
        *errors = err.toStdString();
    return ran && err.trimmed().isEmpty();
}

bool EncodeXvidAvi(const std::string& rawBgr, const std::string& outPath,
                   const std::vector<std::string>& encoderOptions)
{
    QStringList args{"-nostdin", "-v",    "error",   "-y",  "-f", "rawvideo", "-pix_fmt",
                     "bgr24",    "-s",    "320x240", "-r",  "25", "-i",       QString::fromStdString(rawBgr),
                     "-c:v",     "mpeg4", "-vtag",   "XVID"};
    for (const std::string& option : encoderOptions)
        args << QString::fromStdString(option);
    args << QString::fromStdString(outPath);
    QByteArray out, err;
    return RunTool("ffmpeg", args, out, &err);
}

bool EncodeReferenceAvi(const std::string& rawBgr, const std::string& outPath, int quantiser, int gopFrames)
{
    return EncodeXvidAvi(
        rawBgr, outPath,
        {"-q:v", std::to_string(quantiser), "-g", std::to_string(gopFrames), "-bf", "0", "-threads", "1"});
}

std::vector<DecodedFrame> DecodeFrames(const std::string& path)
{
    std::vector<DecodedFrame> frames;
    cv::VideoCapture capture(path, cv::CAP_FFMPEG);
    cv::Mat image;
    while (capture.isOpened() && capture.read(image))
        frames.push_back({image.clone(), capture.get(cv::CAP_PROP_POS_MSEC) / 1000.0});
    return frames;
}
