#include "capture/DeviceList.h"

#include <cstdlib>
#include <cstring>

namespace {

// TORVANE_NO_V4L2 (set and not "0") hides the machine's cameras, so that a
// run of the program, a test or a demo sees only the sources named in
// TORVANE_SOURCES, whatever is plugged in.
bool V4l2Hidden()
{
    const char* value = std::getenv("TORVANE_NO_V4L2");
    return value && *value && std::strcmp(value, "0") != 0;
}

} // namespace

std::vector<DeviceEntry> ListDevices()
{
    std::vector<DeviceEntry> devices;
    const std::vector<V4l2Node> nodes =
        V4l2Hidden() ? std::vector<V4l2Node>() : EnumerateV4l2Nodes(CurrentV4l2Io());
    for (const V4l2Node& node : nodes) {
        DeviceEntry entry;
        entry.isV4l2 = true;
        entry.node = node;
        devices.push_back(std::move(entry));
    }
    for (SourceSpec& spec : SourcesFromEnvironment()) {
        DeviceEntry entry;
        entry.source = std::move(spec);
        devices.push_back(std::move(entry));
    }
    return devices;
}
