#include "capture/V4l2Enumerator.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cstring>

namespace {

// Node number from the trailing digits of "/dev/videoN"; -1 for other names
// ("video-foo" links some distributions add).
long NodeNumber(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (base.size() <= 5 || base.compare(0, 5, "video") != 0)
        return -1;
    long number = 0;
    for (size_t i = 5; i < base.size(); ++i) {
        if (base[i] < '0' || base[i] > '9' || number > 100000)
            return -1;
        number = number * 10 + (base[i] - '0');
    }
    return number;
}

} // namespace

std::vector<V4l2Node> EnumerateV4l2Nodes(V4l2Io& io)
{
    std::vector<std::pair<long, std::string>> numbered;
    for (const std::string& path : io.ListNodes()) {
        const long number = NodeNumber(path);
        if (number >= 0)
            numbered.emplace_back(number, path);
    }
    std::sort(numbered.begin(), numbered.end());

    std::vector<V4l2Node> nodes;
    for (const auto& [number, path] : numbered) {
        const int fd = io.Open(path);
        if (fd < 0)
            continue;
        v4l2_capability cap;
        std::memset(&cap, 0, sizeof cap);
        const bool queried = io.Ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0;
        io.Close(fd);
        if (!queried)
            continue;
        const uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        const uint32_t needed = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        if ((caps & needed) != needed)
            continue;
        // The card name need not be NUL-terminated when it fills the field.
        const char* card = reinterpret_cast<const char*>(cap.card);
        nodes.push_back({path, std::string(card, strnlen(card, sizeof cap.card))});
    }
    return nodes;
}

bool V4l2OffersFormat(V4l2Io& io, const std::string& path, uint32_t pixelFormat)
{
    const int fd = io.Open(path);
    if (fd < 0)
        return false;
    bool found = false;
    for (uint32_t index = 0; index < 256 && !found; ++index) {
        v4l2_fmtdesc desc;
        std::memset(&desc, 0, sizeof desc);
        desc.index = index;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (io.Ioctl(fd, VIDIOC_ENUM_FMT, &desc) != 0)
            break;
        found = desc.pixelformat == pixelFormat;
    }
    io.Close(fd);
    return found;
}
