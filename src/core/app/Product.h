#pragma once

#include <string>

// Product title shown in the window caption, and the built-in version.
inline constexpr const char* kProductTitle = "Quillon摄像头监控录像软件";
inline constexpr const char* kProductVersion = TORVANE_VERSION; // "10.11.12"
// Name the update document lists this program under.
inline constexpr const char* kProgramName = "Torvane";

// Address of the program's site page. Starts with the built-in value; a
// successful update check may replace it (on the GUI thread) for the rest of the run.
extern std::string g_helpUrl;
