#include "update/UpdateAddress.h"

#include <QUrl>

#include <cstdlib>

std::string GetUpdateUrl()
{
    const char* fromEnvironment = std::getenv("TORVANE_UPDATE_URL");
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return TORVANE_UPDATE_URL;
}

bool IsSafeWebUrl(const std::string& url)
{
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        // Controls, blanks, DEL and anything outside ASCII (a foreign address
        // must come percent-encoded or punycoded).
        if (byte <= 0x20 || byte >= 0x7f)
            return false;
    }
    const QUrl parsed = QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.isRelative() || parsed.host().isEmpty())
        return false;
    const QString scheme = parsed.scheme(); // QUrl lower-cases it
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
