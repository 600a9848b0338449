#pragma once

#include <string>

// Directory of the running executable, with a trailing '/'. Every program file
// (config.ini, video.db, skin.qss, readme.html) is resolved against it, never
// against the working directory.
std::string GetProgramDir();
// Full path of the running executable.
std::string GetProgramPath();

// Set once at start-up by InitProgramPaths(); tests may point them elsewhere.
extern std::string g_programDir;
extern std::string g_configPath;

// Sets g_programDir from GetProgramDir() and g_configPath to g_programDir + "config.ini".
void InitProgramPaths();

// True when a file or directory exists at the path (the attribute query of the
// folder-exists rule: an empty path does not exist).
bool PathExists(const std::string& path);
