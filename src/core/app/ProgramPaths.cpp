#include "app/ProgramPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

std::string g_programDir;
std::string g_configPath;

std::string GetProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0) {
        return {};
    }
    return std::string(buffer, static_cast<size_t>(length));
}

std::string GetProgramDir()
{
    const std::string path = GetProgramPath();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return "./";
    }
    return path.substr(0, slash + 1);
}

void InitProgramPaths()
{
    g_programDir = GetProgramDir();
    g_configPath = g_programDir + "config.ini";
}

bool PathExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0;
}
