#include "app/IniFile.h"

#include "app/ProgramPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct Line
{
    std::string text;   // without its line end
    std::string ending; // "\n", "\r\n" or "" for a last line without one
};

bool ReadWholeFile(const std::string& path, std::string& contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return true;
}

std::vector<Line> SplitLines(const std::string& contents)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < contents.size()) {
        const size_t newline = contents.find('\n', start);
        if (newline == std::string::npos) {
            lines.push_back({contents.substr(start), ""});
            break;
        }
        size_t end = newline;
        std::string ending = "\n";
        if (end > start && contents[end - 1] == '\r') {
            --end;
            ending = "\r\n";
        }
        lines.push_back({contents.substr(start, end - start), ending});
        start = newline + 1;
    }
    return lines;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// "[name]" → name; false for any other line.
bool ParseSection(const std::string& line, std::string& name)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return false;
    }
    const size_t close = trimmed.find(']');
    if (close == std::string::npos) {
        return false;
    }
    name = Trim(trimmed.substr(1, close - 1));
    return true;
}

// "key = value" → key, value; false for a line without '='.
bool ParseEntry(const std::string& line, std::string& key, std::string& value)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return !key.empty();
}

struct Location
{
    int sectionLine = -1; // index of the first "[section]" line
    int lastEntryLine = -1; // last non-blank line that belongs to that section
    int keyLine = -1; // index of the first matching key line in that section
    std::string value;
};

Location Find(const std::vector<Line>& lines, const std::string& section, const std::string& key)
{
    Location found;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name;
        if (ParseSection(lines[i].text, name)) {
            if (inSection) {
                break; // only the first section of that name counts
            }
            inSection = EqualsNoCase(name, section);
            if (inSection) {
                found.sectionLine = i;
                found.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(lines[i].text).empty()) {
            found.lastEntryLine = i;
        }
        std::string lineKey;
        std::string lineValue;
        if (found.keyLine < 0 && ParseEntry(lines[i].text, lineKey, lineValue) && EqualsNoCase(lineKey, key)) {
            found.keyLine = i;
            found.value = lineValue;
        }
    }
    return found;
}

std::string CutToLimit(const std::string& value)
{
    if (value.size() <= kIniMaxValueBytes) {
        return value;
    }
    size_t end = kIniMaxValueBytes;
    // Do not split a UTF-8 sequence: back off over continuation bytes.
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) {
        --end;
    }
    return value.substr(0, end);
}

std::string ResolveLinks(const std::string& path)
{
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

// Writes the contents to a temporary file beside the target and renames it over
// the target, so the file is never seen half-written.
bool ReplaceFileAtomically(const std::string& target, const std::string& contents)
{
    const std::string path = ResolveLinks(target);
    struct stat existing {};
    mode_t mode = 0644;
    if (stat(path.c_str(), &existing) == 0) {
        if (access(path.c_str(), W_OK) != 0) {
            return false; // a read-only settings file stays as it is
        }
        mode = existing.st_mode & 07777;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    fchmod(fd, mode); // keep the permissions the user gave the file
    bool ok = true;
    size_t written = 0;
    while (ok && written < contents.size()) {
        const ssize_t n = write(fd, contents.data() + written, contents.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        written += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
    }
    return ok;
}

} // namespace

int IniParseInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > 0xFFFFFFFFLL) {
            value = 0xFFFFFFFFLL; // saturate; the program only writes plain ints
        }
        ++i;
    }
    if (negative) {
        value = -value;
    }
    return static_cast<int>(static_cast<unsigned int>(value & 0xFFFFFFFF));
}

std::string IniGetString(const std::string& file, const std::string& section, const std::string& key,
                         const char* defaultValue)
{
    const std::string fallback = CutToLimit(defaultValue ? defaultValue : "");
    std::string contents;
    if (!ReadWholeFile(file, contents)) {
        return fallback;
    }
    const Location location = Find(SplitLines(contents), section, key);
    if (location.keyLine < 0) {
        return fallback;
    }
    return CutToLimit(location.value);
}

int IniGetInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue)
{
    std::string contents;
    if (!ReadWholeFile(file, contents)) {
        return defaultValue;
    }
    const Location location = Find(SplitLines(contents), section, key);
    if (location.keyLine < 0) {
        return defaultValue;
    }
    return IniParseInt(location.value);
}

bool IniSetString(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value)
{
    std::string contents;
    ReadWholeFile(file, contents); // a missing file starts empty
    std::vector<Line> lines = SplitLines(contents);

    // New lines follow the file's own line ends.
    std::string newline = "\n";
    for (const Line& line : lines) {
        if (!line.ending.empty()) {
            newline = line.ending;
            break;
        }
    }
    const std::string entry = key + "=" + value;

    const Location location = Find(lines, section, key);
    if (location.keyLine >= 0) {
        lines[location.keyLine].text = entry;
    } else if (location.sectionLine >= 0) {
        Line& after = lines[location.lastEntryLine];
        if (after.ending.empty()) {
            after.ending = newline;
        }
        lines.insert(lines.begin() + location.lastEntryLine + 1, Line{entry, newline});
    } else {
        if (!lines.empty() && lines.back().ending.empty()) {
            lines.back().ending = newline;
        }
        lines.push_back({"[" + section + "]", newline});
        lines.push_back({entry, newline});
    }

    std::string output;
    output.reserve(contents.size() + entry.size() + section.size() + 8);
    for (const Line& line : lines) {
        output += line.text;
        output += line.ending;
    }
    return ReplaceFileAtomically(file, output);
}

bool IniSetInt(const std::string& file, const std::string& section, const std::string& key, int value)
{
    return IniSetString(file, section, key, std::to_string(value));
}

std::string GetDefaultSaveFolder()
{
    const std::string folder = g_programDir + "监控录像/";
    if (!PathExists(folder)) {
        mkdir(folder.c_str(), 0755); // a failure shows later, when files cannot be created
    }
    return folder;
}

std::string ReadSaveFolder(const std::string& configPath)
{
    std::string folder = IniGetString(configPath, "main", "savepath");
    if (!PathExists(folder)) {
        folder = GetDefaultSaveFolder();
        IniSetString(configPath, "main", "savepath", folder);
    }
    return folder;
}
