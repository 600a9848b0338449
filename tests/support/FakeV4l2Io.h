#pragma once

#include "capture/V4l2Io.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// A canned video node for FakeV4l2Io.
struct FakeV4l2Node
{
    std::string path;              // "/some/dir/video0": the number is taken from the name
    std::string card;              // the driver's card name
    uint32_t capabilities = 0;     // v4l2_capability::capabilities
    uint32_t deviceCaps = 0;       // v4l2_capability::device_caps
    std::vector<uint32_t> formats; // capture pixel formats, for VIDIOC_ENUM_FMT
    bool openFails = false;
    bool queryFails = false;
};

// Answers the device listing's system calls from a table instead of /dev, and
// installs itself for its lifetime. Counts descriptors so a test can see that
// every opened node was closed again.
class FakeV4l2Io : public V4l2Io
{
public:
    explicit FakeV4l2Io(std::vector<FakeV4l2Node> nodes = {});
    ~FakeV4l2Io() override;

    void SetNodes(std::vector<FakeV4l2Node> nodes) { m_nodes = std::move(nodes); }
    // Descriptors opened and not yet closed.
    size_t OpenDescriptors() const { return m_open.size(); }

    std::vector<std::string> ListNodes() override;
    int Open(const std::string& path) override;
    int Ioctl(int fd, unsigned long request, void* arg) override;
    void Close(int fd) override;

    // A capture node as a UVC camera presents it.
    static FakeV4l2Node CaptureNode(const std::string& path, const std::string& card);

private:
    const FakeV4l2Node* NodeOf(int fd) const;

    std::vector<FakeV4l2Node> m_nodes;
    std::set<int> m_open;
    int m_nextFd = 100;
    std::vector<std::pair<int, size_t>> m_fdNodes;
};
