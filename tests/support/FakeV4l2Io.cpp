#include "FakeV4l2Io.h"

#include <cstdlib>

#include <linux/videodev2.h>

#include <algorithm>
#include <cstring>

FakeV4l2Io::FakeV4l2Io(std::vector<FakeV4l2Node> nodes) : m_nodes(std::move(nodes))
{
    SetV4l2Io(this);
    // The suite hides the machine's cameras with TORVANE_NO_V4L2; with the fake
    // in place there are none to hide, and its canned nodes must be listed.
    unsetenv("TORVANE_NO_V4L2");
}

FakeV4l2Io::~FakeV4l2Io()
{
    SetV4l2Io(nullptr);
}

FakeV4l2Node FakeV4l2Io::CaptureNode(const std::string& path, const std::string& card)
{
    FakeV4l2Node node;
    node.path = path;
    node.card = card;
    node.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING |
                        V4L2_CAP_EXT_PIX_FORMAT | V4L2_CAP_DEVICE_CAPS;
    node.deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT;
    node.formats = {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_MJPEG};
    return node;
}

std::vector<std::string> FakeV4l2Io::ListNodes()
{
    std::vector<std::string> paths;
    for (const FakeV4l2Node& node : m_nodes)
        paths.push_back(node.path);
    return paths;
}

int FakeV4l2Io::Open(const std::string& path)
{
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        if (m_nodes[i].path != path)
            continue;
        if (m_nodes[i].openFails)
            return -1;
        const int fd = m_nextFd++;
        m_open.insert(fd);
        m_fdNodes.emplace_back(fd, i);
        return fd;
    }
    return -1;
}

const FakeV4l2Node* FakeV4l2Io::NodeOf(int fd) const
{
    if (!m_open.count(fd))
        return nullptr;
    for (const auto& [openFd, index] : m_fdNodes) {
        if (openFd == fd)
            return &m_nodes[index];
    }
    return nullptr;
}

int FakeV4l2Io::Ioctl(int fd, unsigned long request, void* arg)
{
    const FakeV4l2Node* node = NodeOf(fd);
    if (!node)
        return -1;
    if (request == VIDIOC_QUERYCAP) {
        if (node->queryFails)
            return -1;
        auto* cap = static_cast<v4l2_capability*>(arg);
        std::memset(cap, 0, sizeof *cap);
        std::strncpy(reinterpret_cast<char*>(cap->driver), "fake", sizeof cap->driver);
        // Like the kernel: the card name fills the field, NUL only when shorter.
        std::memcpy(cap->card, node->card.data(), std::min(node->card.size(), sizeof cap->card));
        cap->capabilities = node->capabilities;
        cap->device_caps = node->deviceCaps;
        return 0;
    }
    if (request == VIDIOC_ENUM_FMT) {
        auto* desc = static_cast<v4l2_fmtdesc*>(arg);
        if (desc->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || desc->index >= node->formats.size())
            return -1;
        desc->pixelformat = node->formats[desc->index];
        return 0;
    }
    return -1;
}

void FakeV4l2Io::Close(int fd)
{
    m_open.erase(fd);
}
