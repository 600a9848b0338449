#pragma once

#include <cstdint>
#include <string>

// Free-space check of the recording drive. Only fixed drives count: local,
// non-removable block-device filesystems. Network filesystems, FUSE, tmpfs and
// ramfs, optical and removable media are never low, however full.

constexpr float kLowDiskSpaceGiB = 0.3f;

struct MountEntry
{
    std::string mountPoint;
    std::string fsType;
    std::string source; // e.g. /dev/sda1, server:/export, tmpfs
};

// The filesystem queries IsDiskSpaceLow makes; a fake replaces it in tests.
class IDriveProbe
{
  public:
    virtual ~IDriveProbe() = default;
    // The mount that holds folder; false when none is found.
    virtual bool FindMount(const std::string& folder, MountEntry& entry) = 0;
    // 1 removable, 0 not, -1 unknown (source is not a block device).
    virtual int RemovableFlag(const std::string& source) = 0;
    // All free bytes of the filesystem (f_bfree x f_frsize, including the part
    // reserved for root).
    virtual bool FreeBytes(const std::string& folder, uint64_t& bytes) = 0;
};

// Reads /proc/self/mountinfo, statvfs and /sys/dev/block.
class SystemDriveProbe : public IDriveProbe
{
  public:
    bool FindMount(const std::string& folder, MountEntry& entry) override;
    int RemovableFlag(const std::string& source) override;
    bool FreeBytes(const std::string& folder, uint64_t& bytes) override;
};

// The fixed-drive rule on a mount and its device's removable flag.
bool IsFixedDrive(const MountEntry& mount, int removableFlag);

// Free bytes / 2^30 in single precision; low when thresholdGiB >= that.
bool IsFreeSpaceLow(uint64_t freeBytes, float thresholdGiB);

// 1 when the fixed drive holding root has thresholdGiB or less free, else 0.
int IsDiskSpaceLow(const std::string& root, float thresholdGiB, IDriveProbe& probe);
int IsDiskSpaceLow(const std::string& root, float thresholdGiB);
