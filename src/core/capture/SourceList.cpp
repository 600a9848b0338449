#include "capture/SourceList.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

std::string Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

// "scheme://" with a scheme of letters, digits, '+', '-' or '.' starting with a letter.
bool IsUrl(const std::string& text)
{
    const size_t colon = text.find("://");
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool ParsePositive(const std::string& text, double& value)
{
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(parsed > 0.0) || parsed > 1000.0)
        return false;
    value = parsed;
    return true;
}

// "pattern", "pattern@15", "pattern@30,size=640x480,stall=20". Unknown or bad
// options are ignored and leave the default in place.
SourceSpec ParsePattern(const std::string& entry)
{
    SourceSpec spec;
    spec.kind = SourceSpec::Kind::Pattern;
    spec.location = entry;
    spec.name = "Test pattern";

    std::stringstream parts(entry.substr(7));
    std::string part;
    bool first = true;
    while (std::getline(parts, part, ',')) {
        part = Trim(part);
        if (first && !part.empty() && part[0] == '@') {
            double fps;
            if (ParsePositive(part.substr(1), fps))
                spec.framesPerSecond = fps;
        } else if (part.rfind("size=", 0) == 0) {
            int width = 0, height = 0;
            char x = 0, extra = 0;
            if (std::sscanf(part.c_str() + 5, "%d%c%d%c", &width, &x, &height, &extra) == 3 && x == 'x' &&
                width >= 16 && height >= 16 && width <= 7680 && height <= 4320) {
                spec.width = width;
                spec.height = height;
            }
        } else if (part.rfind("stall=", 0) == 0) {
            double frames;
            if (ParsePositive(part.substr(6), frames))
                spec.stallAfterFrames = static_cast<long>(frames);
        }
        first = false;
    }
    return spec;
}

bool IsPatternEntry(const std::string& entry)
{
    if (entry.compare(0, 7, "pattern") != 0)
        return false;
    return entry.size() == 7 || entry[7] == '@' || entry[7] == ',';
}

} // namespace

std::string UrlWithoutCredentials(const std::string& url)
{
    const size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return url;
    const size_t authorityBegin = schemeEnd + 3;
    size_t authorityEnd = url.find_first_of("/?#", authorityBegin);
    if (authorityEnd == std::string::npos)
        authorityEnd = url.size();
    // The last '@' of the authority ends the user information (a password may hold '@').
    const size_t at = url.rfind('@', authorityEnd == 0 ? 0 : authorityEnd - 1);
    if (at == std::string::npos || at < authorityBegin)
        return url;
    return url.substr(0, authorityBegin) + url.substr(at + 1);
}

std::vector<SourceSpec> ParseSources(const std::string& text)
{
    std::vector<SourceSpec> specs;
    std::stringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        entry = Trim(entry);
        if (entry.empty())
            continue;
        if (IsPatternEntry(entry)) {
            specs.push_back(ParsePattern(entry));
            continue;
        }
        SourceSpec spec;
        spec.location = entry;
        if (IsUrl(entry)) {
            spec.kind = SourceSpec::Kind::Url;
            spec.name = UrlWithoutCredentials(entry);
        } else {
            spec.kind = SourceSpec::Kind::File;
            const size_t slash = entry.find_last_of('/');
            spec.name = slash == std::string::npos ? entry : entry.substr(slash + 1);
        }
        specs.push_back(spec);
    }
    return specs;
}

std::vector<SourceSpec> SourcesFromEnvironment()
{
    const char* value = std::getenv("TORVANE_SOURCES");
    return value ? ParseSources(value) : std::vector<SourceSpec>();
}
