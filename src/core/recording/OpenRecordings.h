#pragma once

#include <mutex>
#include <string>
#include <vector>

// The recording files that are being written right now. Recycling consults it
// so that it never unlinks a file in progress: on Linux the unlink would
// succeed and the recording would silently vanish with its last link.
class OpenRecordings
{
  public:
    static OpenRecordings& Instance();

    void Add(const std::string& path);
    void Remove(const std::string& path);
    // True when path names a file being written, by its text or by the
    // filesystem identity (another spelling of the same file).
    bool Contains(const std::string& path) const;

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_paths; // a run may name one file twice
};
