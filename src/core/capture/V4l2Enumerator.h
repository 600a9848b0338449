#pragma once

#include "capture/V4l2Io.h"

#include <cstdint>
#include <string>
#include <vector>

struct V4l2Node
{
    std::string path;
    std::string name; // the driver's card name
};

// The video-capture nodes in ascending node number. A node counts when it can
// both capture video and stream; that drops the metadata node a UVC camera
// adds beside each camera, output-only and memory-to-memory nodes.
std::vector<V4l2Node> EnumerateV4l2Nodes(V4l2Io& io);

// True when the node lists pixelFormat among its capture formats.
bool V4l2OffersFormat(V4l2Io& io, const std::string& path, uint32_t pixelFormat);
