#pragma once

#include <QTemporaryDir>

#include <string>

// A temporary folder for one test, with its path as a UTF-8 std::string
// ending in '/'.
class TempDir
{
public:
    TempDir() = default;
    bool isValid() const { return m_dir.isValid(); }
    std::string path() const { return m_dir.path().toStdString() + "/"; }
    std::string file(const std::string& name) const { return path() + name; }

private:
    QTemporaryDir m_dir;
};
