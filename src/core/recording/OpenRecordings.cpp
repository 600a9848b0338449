#include "recording/OpenRecordings.h"

#include <sys/stat.h>

#include <algorithm>

OpenRecordings& OpenRecordings::Instance()
{
    static OpenRecordings instance;
    return instance;
}

void OpenRecordings::Add(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paths.push_back(path);
}

void OpenRecordings::Remove(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find(m_paths.begin(), m_paths.end(), path);
    if (it != m_paths.end())
        m_paths.erase(it);
}

bool OpenRecordings::Contains(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (std::find(m_paths.begin(), m_paths.end(), path) != m_paths.end())
        return true;
    struct stat target;
    if (stat(path.c_str(), &target) != 0)
        return false;
    for (const std::string& open : m_paths) {
        struct stat st;
        if (stat(open.c_str(), &st) == 0 && st.st_dev == target.st_dev && st.st_ino == target.st_ino)
            return true;
    }
    return false;
}
