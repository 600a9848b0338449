#include "options/FolderPath.h"

#include <sys/stat.h>

#include <cstring>

namespace {

bool IsEdgeCharacter(char c)
{
    return c == '\t' || c == ' ' || c == '.';
}

} // namespace

bool FolderExists(const std::string& path)
{
    struct stat info = {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsValidFolderName(const std::string& name)
{
    if (name.empty() || IsEdgeCharacter(name.front()) || IsEdgeCharacter(name.back())) {
        return false;
    }
    // A NUL would silently cut the name short in every system call.
    return name.find_first_of(std::string("\"*/:<>?\\|\0", 10)) == std::string::npos;
}

FolderCheck WalkFolderPath(const std::string& path, FolderWalk walk)
{
    if (path.empty() || path[0] != '/') {
        return FolderCheck::Invalid;
    }
    if (path.size() == 1) {
        return walk == FolderWalk::ValidateOnly || FolderExists(path) ? FolderCheck::Ok
                                                                      : FolderCheck::NotCreated;
    }
    // Check every level first: nothing is created for a path that turns out invalid further in.
    size_t start = 1;
    while (true) {
        const size_t end = path.find('/', start);
        const std::string level =
            path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!IsValidFolderName(level)) {
            return FolderCheck::Invalid;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1; // a separator at the very end leaves an empty level: invalid above
    }
    if (walk == FolderWalk::ValidateOnly) {
        return FolderCheck::Ok;
    }
    size_t end = 0;
    do {
        end = path.find('/', end + 1);
        const std::string folder = path.substr(0, end);
        mkdir(folder.c_str(), 0777); // the umask decides; existing levels just fail here
        if (!FolderExists(folder)) {
            return FolderCheck::NotCreated;
        }
    } while (end != std::string::npos);
    return FolderCheck::Ok;
}

std::string FolderCreateQuestion(const std::string& path)
{
    return "The folder:\n\n" + path + "\n\ndoes not exist. Do you want the folder to be created?";
}

std::string FolderInvalidWarning(const std::string& path)
{
    return "The folder:\n\n" + path + "\n\nis invalid. Please reenter.";
}

std::string FolderNotCreatedWarning(const std::string& path)
{
    return "The folder:\n\n" + path + "\n\ncan not be created. Please double check.";
}

FolderCheck EnsureFolderExists(const std::string& path, FolderPrompts& prompts)
{
    FolderCheck result = WalkFolderPath(path, FolderWalk::ValidateOnly);
    if (result == FolderCheck::Ok) {
        if (FolderExists(path)) {
            return FolderCheck::Ok;
        }
        if (!prompts.AskYesNo(FolderCreateQuestion(path))) {
            return FolderCheck::Declined;
        }
        result = WalkFolderPath(path, FolderWalk::Create);
        if (result == FolderCheck::Ok) {
            return FolderCheck::Ok;
        }
    }
    prompts.ShowWarning(result == FolderCheck::Invalid ? FolderInvalidWarning(path)
                                                       : FolderNotCreatedWarning(path));
    return result;
}
