#include "recording/DiskSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string oct = field.substr(i + 1, 3);
            if (oct.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::strtol(oct.c_str(), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool IsUnder(const std::string& path, const std::string& mountPoint)
{
    if (mountPoint == "/")
        return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// The folder itself, or its nearest existing ancestor when it is gone.
std::string ExistingRealPath(std::string folder)
{
    while (!folder.empty()) {
        char resolved[PATH_MAX];
        if (realpath(folder.c_str(), resolved))
            return resolved;
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        const size_t slash = folder.rfind('/');
        if (slash == std::string::npos)
            return {};
        folder.erase(slash == 0 ? 1 : slash);
        if (folder == "/")
            return folder;
    }
    return {};
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

bool SystemDriveProbe::FindMount(const std::string& folder, MountEntry& entry)
{
    const std::string path = ExistingRealPath(folder);
    if (path.empty())
        return false;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    size_t bestLength = 0;
    bool found = false;
    // Fields: id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devno, root, mountPoint, options, word;
        if (!(fields >> id >> parent >> devno >> root >> mountPoint >> options))
            continue;
        while (fields >> word && word != "-") {
        }
        std::string fsType, source;
        if (!(fields >> fsType >> source))
            continue;
        mountPoint = Unescape(mountPoint);
        // Later mounts on the same point hide earlier ones, hence >=.
        if (IsUnder(path, mountPoint) && mountPoint.size() >= bestLength) {
            bestLength = mountPoint.size();
            entry = MountEntry{mountPoint, fsType, Unescape(source)};
            found = true;
        }
    }
    return found;
}

int SystemDriveProbe::RemovableFlag(const std::string& source)
{
    struct stat st;
    if (!StartsWith(source, "/dev/") || stat(source.c_str(), &st) != 0 || !S_ISBLK(st.st_mode))
        return -1;
    const std::string sysDev =
        "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    // A partition carries no flag of its own; its disk is the parent folder.
    struct stat partition;
    const std::string flagPath = stat((sysDev + "/partition").c_str(), &partition) == 0
                                     ? sysDev + "/../removable"
                                     : sysDev + "/removable";
    std::ifstream flag(flagPath);
    int value = -1;
    if (!(flag >> value))
        return -1;
    return value != 0 ? 1 : 0;
}

bool SystemDriveProbe::FreeBytes(const std::string& folder, uint64_t& bytes)
{
    const std::string path = ExistingRealPath(folder);
    struct statvfs vfs;
    if (path.empty() || statvfs(path.c_str(), &vfs) != 0)
        return false;
    bytes = static_cast<uint64_t>(vfs.f_bfree) * static_cast<uint64_t>(vfs.f_frsize);
    return true;
}

bool IsFixedDrive(const MountEntry& mount, int removableFlag)
{
    static const char* const kNotFixed[] = {
        "tmpfs", "ramfs", "devtmpfs", "iso9660", "udf",     "nfs",      "nfs4",      "cifs",
        "smb3",  "smbfs", "ncpfs",    "afs",     "9p",      "ceph",     "glusterfs", "lustre",
        "gfs2",  "ocfs2", "davfs",    "coda",    "overlay", "squashfs",
    };
    for (const char* type : kNotFixed) {
        if (mount.fsType == type)
            return false;
    }
    if (StartsWith(mount.fsType, "fuse")) // fuse, fuseblk, fuse.sshfs, ...
        return false;
    if (!StartsWith(mount.source, "/dev/"))
        return false;
    return removableFlag == 0;
}

bool IsFreeSpaceLow(uint64_t freeBytes, float thresholdGiB)
{
    const float measure = static_cast<float>(static_cast<double>(freeBytes) / 1073741824.0);
    return thresholdGiB >= measure;
}

int IsDiskSpaceLow(const std::string& root, float thresholdGiB, IDriveProbe& probe)
{
    MountEntry mount;
    if (!probe.FindMount(root, mount) || !IsFixedDrive(mount, probe.RemovableFlag(mount.source)))
        return 0;
    uint64_t freeBytes = 0;
    if (!probe.FreeBytes(root, freeBytes))
        return 0;
    return IsFreeSpaceLow(freeBytes, thresholdGiB) ? 1 : 0;
}

int IsDiskSpaceLow(const std::string& root, float thresholdGiB)
{
    SystemDriveProbe probe;
    return IsDiskSpaceLow(root, thresholdGiB, probe);
}
