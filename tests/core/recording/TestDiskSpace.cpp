#include "recording/DiskSpace.h"

#include "TempDir.h"

#include <QTest>

namespace {

class FakeDriveProbe : public IDriveProbe
{
  public:
    bool mountFound = true;
    MountEntry mount{"/srv", "ext4", "/dev/sdb1"};
    int removable = 0;
    bool freeKnown = true;
    uint64_t freeBytes = 0;

    bool FindMount(const std::string&, MountEntry& entry) override
    {
        entry = mount;
        return mountFound;
    }
    int RemovableFlag(const std::string&) override { return removable; }
    bool FreeBytes(const std::string&, uint64_t& bytes) override
    {
        bytes = freeBytes;
        return freeKnown;
    }
};

constexpr uint64_t kGiB = 1073741824ULL;

} // namespace

Q_DECLARE_METATYPE(uint64_t)

class TestDiskSpace : public QObject
{
    Q_OBJECT

  private slots:
    void threshold_data();
    void threshold();
    void fixedDriveRule_data();
    void fixedDriveRule();
    void unknownDriveIsNeverLow_data();
    void unknownDriveIsNeverLow();
    void systemProbeSeesRealMounts();
};

// 0.3f is 0.30000001192..., i.e. 322,122,560 bytes; the measure is rounded to
// single precision before the comparison.
void TestDiskSpace::threshold_data()
{
    QTest::addColumn<uint64_t>("freeBytes");
    QTest::addColumn<bool>("low");
    QTest::newRow("empty drive") << uint64_t(0) << true;
    QTest::newRow("100 MiB") << uint64_t(100ULL << 20) << true;
    QTest::newRow("exactly 0.3f GiB") << uint64_t(322122560) << true;
    QTest::newRow("rounds down onto 0.3f") << uint64_t(322122561) << true;
    QTest::newRow("next float above") << uint64_t(322122600) << false;
    QTest::newRow("1 GiB") << kGiB << false;
    QTest::newRow("4 TiB") << 4096 * kGiB << false;
}

void TestDiskSpace::threshold()
{
    QFETCH(uint64_t, freeBytes);
    QFETCH(bool, low);
    QCOMPARE(IsFreeSpaceLow(freeBytes, kLowDiskSpaceGiB), low);
    FakeDriveProbe probe;
    probe.freeBytes = freeBytes;
    QCOMPARE(IsDiskSpaceLow("/srv/rec/", kLowDiskSpaceGiB, probe), low ? 1 : 0);
}

void TestDiskSpace::fixedDriveRule_data()
{
    QTest::addColumn<QString>("fsType");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("removable");
    QTest::addColumn<bool>("fixed");
    QTest::newRow("ext4 partition") << "ext4"
                                    << "/dev/sda2" << 0 << true;
    QTest::newRow("xfs on nvme") << "xfs"
                                 << "/dev/nvme0n1p3" << 0 << true;
    QTest::newRow("btrfs on dm") << "btrfs"
                                 << "/dev/mapper/root" << 0 << true;
    QTest::newRow("ext4 on loop") << "ext4"
                                  << "/dev/loop3" << 0 << true;
    QTest::newRow("usb stick") << "vfat"
                               << "/dev/sdc1" << 1 << false;
    QTest::newRow("removable flag unknown") << "ext4"
                                            << "/dev/sdz1" << -1 << false;
    QTest::newRow("optical") << "iso9660"
                             << "/dev/sr0" << 0 << false;
    QTest::newRow("udf disc") << "udf"
                              << "/dev/sr0" << 0 << false;
    QTest::newRow("nfs") << "nfs4"
                         << "server:/export" << -1 << false;
    QTest::newRow("cifs") << "cifs"
                          << "//server/share" << -1 << false;
    QTest::newRow("sshfs") << "fuse.sshfs"
                           << "u@host:" << -1 << false;
    QTest::newRow("ntfs-3g") << "fuseblk"
                             << "/dev/sda5" << 0 << false;
    QTest::newRow("tmpfs") << "tmpfs"
                           << "tmpfs" << -1 << false;
    QTest::newRow("ramfs") << "ramfs"
                           << "none" << -1 << false;
    QTest::newRow("overlay") << "overlay"
                             << "overlay" << -1 << false;
}

void TestDiskSpace::fixedDriveRule()
{
    QFETCH(QString, fsType);
    QFETCH(QString, source);
    QFETCH(int, removable);
    QFETCH(bool, fixed);
    const MountEntry mount{"/mnt", fsType.toStdString(), source.toStdString()};
    QCOMPARE(IsFixedDrive(mount, removable), fixed);
    // However full, a drive that is not fixed is never low.
    FakeDriveProbe probe;
    probe.mount = mount;
    probe.removable = removable;
    probe.freeBytes = 0;
    QCOMPARE(IsDiskSpaceLow("/mnt/rec/", kLowDiskSpaceGiB, probe), fixed ? 1 : 0);
}

void TestDiskSpace::unknownDriveIsNeverLow_data()
{
    QTest::addColumn<bool>("mountFound");
    QTest::addColumn<bool>("freeKnown");
    QTest::newRow("no mount") << false << true;
    QTest::newRow("statvfs fails") << true << false;
}

void TestDiskSpace::unknownDriveIsNeverLow()
{
    QFETCH(bool, mountFound);
    QFETCH(bool, freeKnown);
    FakeDriveProbe probe;
    probe.mountFound = mountFound;
    probe.freeKnown = freeKnown;
    QCOMPARE(IsDiskSpaceLow("/srv/rec/", kLowDiskSpaceGiB, probe), 0);
}

void TestDiskSpace::systemProbeSeesRealMounts()
{
    SystemDriveProbe probe;
    MountEntry entry;
    QVERIFY(probe.FindMount("/proc/self", entry));
    QCOMPARE(entry.fsType, std::string("proc"));
    QCOMPARE(entry.mountPoint, std::string("/proc"));
    QCOMPARE(IsDiskSpaceLow("/proc/", 1e9f), 0);

    // A folder that is gone is judged by its nearest existing parent.
    TempDir dir;
    uint64_t freeBytes = 0;
    QVERIFY(probe.FreeBytes(dir.file("not/yet/made/"), freeBytes));
    QVERIFY(freeBytes > 0);
    QVERIFY(probe.FindMount(dir.file("not/yet/made/"), entry));
    QCOMPARE(probe.RemovableFlag("tmpfs"), -1);
}

QTEST_GUILESS_MAIN(TestDiskSpace)
#include "TestDiskSpace.moc"
