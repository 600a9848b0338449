#pragma once

#include <string>
#include <vector>

// One extra source named by TORVANE_SOURCES.
struct SourceSpec
{
    enum class Kind
    {
        Pattern, // built-in synthetic camera
        File,    // a video file, played in real time and looped
        Url,     // a network stream opened through FFmpeg
    };
    Kind kind = Kind::Pattern;
    std::string location;          // file path or URL as given
    std::string name;              // shown in the device list
    double framesPerSecond = 30.0; // pattern only
    // Pattern only: size it draws at (0 = the size asked for at Open), and the
    // number of frames after which it stops delivering, like an unplugged
    // camera (0 = never).
    int width = 0;
    int height = 0;
    long stallAfterFrames = 0;
};

// Parses the ';'-separated list: "pattern", "pattern@15", a file path, or a
// URL (scheme://...). Blanks around entries are dropped and empty entries
// skipped. The pattern takes comma-separated options after its rate:
// "pattern@30,size=640x480,stall=20".
std::vector<SourceSpec> ParseSources(const std::string& text);

// The URL with any user name and password removed.
std::string UrlWithoutCredentials(const std::string& url);

// Entries of the environment variable TORVANE_SOURCES.
std::vector<SourceSpec> SourcesFromEnvironment();
