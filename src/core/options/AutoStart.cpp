#include "options/AutoStart.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

// A task name becomes a file name: no separators, no dot files.
bool IsUsableName(const std::string& name)
{
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Values we cannot express in a desktop entry at all: entries are UTF-8 text, and
// control characters other than tab, newline and carriage return have no escape.
bool HasUnstorableCharacter(const std::string& value)
{
    const QByteArray bytes = QByteArray::fromStdString(value);
    if (QString::fromUtf8(bytes).toUtf8() != bytes) {
        return true; // a file name that is not valid UTF-8
    }
    for (unsigned char c : value) {
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f) {
            return true;
        }
    }
    return false;
}

bool IsReservedInExec(char c)
{
    return std::strchr(" \t\n\"'\\><~|&;$*?#()`", c) != nullptr;
}

} // namespace

std::string AutoStartFolder()
{
    // Relative values of the variable are invalid and must be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        config != nullptr && config[0] == '/' ? config : WithSlash(HomeFolder()) + ".config";
    return WithSlash(base) + "autostart/";
}

std::string AutoStartEntryPath(const std::string& name)
{
    return AutoStartFolder() + name + ".desktop";
}

std::string QuoteExecArgument(const std::string& argument)
{
    bool quote = argument.empty();
    for (char c : argument) {
        quote = quote || IsReservedInExec(c);
    }
    std::string result;
    if (quote) {
        result += '"';
    }
    for (char c : argument) {
        if (c == '%') {
            result += "%%"; // a single '%' starts a field code
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            result += '\\';
        }
        result += c;
    }
    if (quote) {
        result += '"';
    }
    return result;
}

std::string EscapeDesktopString(const std::string& value)
{
    std::string result;
    for (char c : value) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string AutoStartEntryText(const std::string& name, const std::string& application,
                               const std::string& parameters, const std::string& workingFolder)
{
    if (HasUnstorableCharacter(name) || HasUnstorableCharacter(application) ||
        HasUnstorableCharacter(parameters) || HasUnstorableCharacter(workingFolder)) {
        return {};
    }
    std::string exec = QuoteExecArgument(application);
    if (!parameters.empty()) {
        exec += ' ' + QuoteExecArgument(parameters);
    }
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeDesktopString(name) + "\n";
    text += "Exec=" + EscapeDesktopString(exec) + "\n";
    if (!workingFolder.empty()) {
        text += "Path=" + EscapeDesktopString(workingFolder) + "\n";
    }
    text += "Terminal=false\n";
    return text;
}

bool CreateAutoStartTask(const std::string& name, const std::string& application,
                         const std::string& parameters, const std::string& workingFolder)
{
    if (!IsUsableName(name) || application.empty()) {
        return false;
    }
    const std::string text = AutoStartEntryText(name, application, parameters, workingFolder);
    if (text.empty()) {
        return false;
    }
    if (!QDir().mkpath(QString::fromStdString(AutoStartFolder()))) {
        return false;
    }
    // Written beside the target and renamed over it: a crash never leaves half an entry.
    QSaveFile file(QString::fromStdString(AutoStartEntryPath(name)));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    return file.commit();
}

bool DeleteAutoStartTask(const std::string& name)
{
    if (!IsUsableName(name)) {
        return true; // no entry can exist under such a name
    }
    const std::string path = AutoStartEntryPath(name);
    if (unlink(path.c_str()) == 0) {
        return true;
    }
    // ENOTDIR: a file stands where the folder would be, so there is no entry either.
    return errno == ENOENT || errno == ENOTDIR;
}
