#pragma once

#include "update/UpdateInfo.h"

#include <string>

// Result codes the check hands to the main window.
inline constexpr int kUpdateResultNone = 0;  // nothing usable: no document, not XML, no entry
inline constexpr int kUpdateResultNewer = 2; // the published version differs from ours

// What one update check found, decided away from any window.
struct UpdateCheckOutcome
{
    // False when the published version equals the built-in one: the window is told nothing.
    bool report = true;
    int code = kUpdateResultNone;
    // Site address to use from now on; empty keeps the current one. Only a safe
    // http(s) address from the document ever lands here.
    std::string helpUrl;
};

// Looks this program up in the update document at url and compares its version
// with the built-in one.
UpdateCheckOutcome RunUpdateCheck(const std::string& url, int timeoutSeconds = kUpdateTimeoutSeconds);
