#include "capture/DeviceList.h"

std::vector<DeviceEntry> ListDevices()
{
    std::vector<DeviceEntry> devices;
    for (V4l2Node& node : EnumerateV4l2Nodes(CurrentV4l2Io())) {
        DeviceEntry entry;
        entry.isV4l2 = true;
        entry.node = std::move(node);
        devices.push_back(std::move(entry));
    }
    for (SourceSpec& spec : SourcesFromEnvironment()) {
        DeviceEntry entry;
        entry.source = std::move(spec);
        devices.push_back(std::move(entry));
    }
    return devices;
}
