#include "capture/V4l2Io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

class SystemV4l2Io : public V4l2Io
{
public:
    std::vector<std::string> ListNodes() override
    {
        std::vector<std::string> paths;
        DIR* dir = opendir("/dev");
        if (!dir)
            return paths;
        while (dirent* entry = readdir(dir)) {
            if (std::strncmp(entry->d_name, "video", 5) == 0)
                paths.push_back(std::string("/dev/") + entry->d_name);
        }
        closedir(dir);
        return paths;
    }

    int Open(const std::string& path) override
    {
        int fd;
        do {
            fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }

    int Ioctl(int fd, unsigned long request, void* arg) override
    {
        int result;
        do {
            result = ::ioctl(fd, request, arg);
        } while (result < 0 && errno == EINTR);
        return result;
    }

    void Close(int fd) override { ::close(fd); }
};

SystemV4l2Io g_systemIo;
std::atomic<V4l2Io*> g_io{nullptr};

} // namespace

V4l2Io& CurrentV4l2Io()
{
    V4l2Io* io = g_io.load();
    return io ? *io : g_systemIo;
}

void SetV4l2Io(V4l2Io* io)
{
    g_io.store(io);
}
