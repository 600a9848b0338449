#include "update/UpdateCheck.h"

#include "app/Product.h"
#include "update/UpdateAddress.h"

UpdateCheckOutcome RunUpdateCheck(const std::string& url, int timeoutSeconds)
{
    UpdateCheckOutcome outcome;
    UpdateInfo info;
    if (QueryUpdateInfo(kProgramName, url, info, timeoutSeconds) != 1)
        return outcome;
    if (!info.help.empty() && IsSafeWebUrl(info.help))
        outcome.helpUrl = info.help;
    // No ordering of versions: any other text, older or empty, means "update".
    if (info.version == kProductVersion)
        outcome.report = false;
    else
        outcome.code = kUpdateResultNewer;
    return outcome;
}
