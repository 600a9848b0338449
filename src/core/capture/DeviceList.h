#pragma once

#include "capture/SourceList.h"
#include "capture/V4l2Enumerator.h"

#include <string>
#include <vector>

// One entry of the device list: a V4L2 capture node or an extra source.
struct DeviceEntry
{
    bool isV4l2 = false;
    V4l2Node node;     // when isV4l2
    SourceSpec source; // otherwise
    const std::string& Name() const { return isV4l2 ? node.name : source.name; }
};

// The V4L2 capture nodes (none when TORVANE_NO_V4L2 is set to anything but
// "0"), then the extra sources of TORVANE_SOURCES. Built afresh on every
// call; the order is stable as long as nothing is plugged in.
std::vector<DeviceEntry> ListDevices();
