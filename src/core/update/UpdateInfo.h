#pragma once

#include <string>

// Receive time-out of the update check.
inline constexpr int kUpdateTimeoutSeconds = 10;

// The entry of the update document that names this program. Only name, version
// and help are used; the rest is kept as the document gives it.
struct UpdateInfo
{
    std::string name;
    std::string version;
    std::string help;
    std::string downurl;
    std::string downurl2;
    std::string bbs;
    std::string news;
    std::string urgent;
};

// Fetches the update document at url and fills info from the first <soft> child
// of its root whose <name> matches name (blanks trimmed, letter case ignored).
// Returns 1 when such an entry was found, 0 otherwise (fetch failed, not XML, no entry).
int QueryUpdateInfo(std::string name, std::string url, UpdateInfo& info,
                    int timeoutSeconds = kUpdateTimeoutSeconds);
