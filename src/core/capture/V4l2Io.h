#pragma once

#include <string>
#include <vector>

// The few system calls the device listing makes, behind one interface so that a
// test can answer them with canned replies instead of real video nodes.
class V4l2Io
{
public:
    virtual ~V4l2Io() = default;
    // Paths of the video nodes present, in any order ("/dev/video0", ...).
    virtual std::vector<std::string> ListNodes() = 0;
    // Like open(2) with O_RDWR | O_NONBLOCK; -1 on failure.
    virtual int Open(const std::string& path) = 0;
    // Like ioctl(2); -1 on failure.
    virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void Close(int fd) = 0;
};

// The interface in use: the system one unless a test installed another.
V4l2Io& CurrentV4l2Io();
// Installs io for the calls that follow; nullptr restores the system one. The
// caller keeps io alive while it is installed.
void SetV4l2Io(V4l2Io* io);
