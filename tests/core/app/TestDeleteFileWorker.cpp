#include "TempDir.h"
#include "app/DeleteFileWorker.h"
#include "app/ProgramPaths.h"

#include <QtTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Records when each removal was tried, then really tries it.
std::mutex g_attemptsMutex;
std::vector<Clock::time_point> g_attempts;

int CountingUnlink(const char* path)
{
    {
        std::lock_guard<std::mutex> lock(g_attemptsMutex);
        g_attempts.push_back(Clock::now());
    }
    return ::unlink(path);
}

size_t AttemptCount()
{
    std::lock_guard<std::mutex> lock(g_attemptsMutex);
    return g_attempts.size();
}

void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

// Makes the file impossible to unlink for this process: the immutable flag
// (needs CAP_LINUX_IMMUTABLE and ext2/3/4, btrfs, xfs…), or, for an ordinary
// user, a folder without write permission. Returns a function that undoes it,
// or an empty function when neither is possible here.
std::function<void()> MakeUndeletable(const std::string& folder, const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd >= 0) {
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            const int immutable = flags | FS_IMMUTABLE_FL;
            if (::ioctl(fd, FS_IOC_SETFLAGS, &immutable) == 0) {
                return [fd, flags] {
                    int restore = flags;
                    ::ioctl(fd, FS_IOC_SETFLAGS, &restore);
                    ::close(fd);
                };
            }
        }
        ::close(fd);
    }
    if (geteuid() != 0 && ::chmod(folder.c_str(), 0500) == 0) {
        return [folder] { ::chmod(folder.c_str(), 0700); };
    }
    return {};
}

} // namespace

class TestDeleteFileWorker : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void fileOpenElsewhereIsDeletedAndReaderUndisturbed();
    void missingPathEndsAtOnce();
    void retriesOnceASecondUntilTheFileCanGo();
    void endsWhenSomeoneElseRemovesTheFile();
};

void TestDeleteFileWorker::init()
{
    std::lock_guard<std::mutex> lock(g_attemptsMutex);
    g_attempts.clear();
}

void TestDeleteFileWorker::fileOpenElsewhereIsDeletedAndReaderUndisturbed()
{
    // On Linux an open file can be unlinked: the name goes at once, the program
    // that holds it open keeps reading its data until it closes it.
    TempDir dir;
    const std::string path = dir.file("recording#1.avi");
    WriteFile(path, "frame data");
    const int reader = ::open(path.c_str(), O_RDONLY);
    QVERIFY(reader >= 0);

    QCOMPARE(DeleteFileWorker(path, 1000, &CountingUnlink), 0);
    QVERIFY(!PathExists(path));
    QCOMPARE(AttemptCount(), size_t(1));

    char buffer[16] = {};
    QCOMPARE(::read(reader, buffer, sizeof(buffer)), ssize_t(10));
    QCOMPARE(QByteArray(buffer), QByteArray("frame data"));
    ::close(reader);
}

void TestDeleteFileWorker::missingPathEndsAtOnce()
{
    TempDir dir;
    const auto started = Clock::now();
    QCOMPARE(DeleteFileWorker(dir.file("absent.avi"), 1000, &CountingUnlink), 0);
    QCOMPARE(AttemptCount(), size_t(1));
    QVERIFY(Clock::now() - started < std::chrono::milliseconds(500));
}

void TestDeleteFileWorker::retriesOnceASecondUntilTheFileCanGo()
{
    TempDir dir;
    const std::string path = dir.file("locked.avi");
    WriteFile(path, "x");
    // Declared first so that a failing check releases the file (guard) before
    // waiting for the worker, which then ends.
    std::future<int> worker;
    struct Release
    {
        std::function<void()> undo;
        void operator()()
        {
            if (undo) {
                undo();
                undo = nullptr;
            }
        }
        ~Release() { (*this)(); }
    } release{MakeUndeletable(dir.path(), path)};
    if (!release.undo) {
        QSKIP("cannot make a file undeletable here (no immutable flag, running as root)");
    }
    QVERIFY2(::unlink(path.c_str()) != 0, "the file should not be deletable now");

    worker = std::async(std::launch::async, [path] { return DeleteFileWorker(path, 1000, &CountingUnlink); });

    // Still trying after 2.5 s: attempts at about 0, 1 and 2 s, the file intact.
    QCOMPARE(worker.wait_for(std::chrono::milliseconds(2500)), std::future_status::timeout);
    QVERIFY(PathExists(path));
    const size_t attempts = AttemptCount();
    QVERIFY2(attempts >= 2 && attempts <= 3, qPrintable(QString("attempts: %1").arg(attempts)));
    {
        // Once a second: neither a busy loop nor a long pause (a loaded machine may add some delay).
        std::lock_guard<std::mutex> lock(g_attemptsMutex);
        for (size_t i = 1; i < g_attempts.size(); ++i) {
            const auto gap =
                std::chrono::duration_cast<std::chrono::milliseconds>(g_attempts[i] - g_attempts[i - 1]);
            QVERIFY2(gap.count() >= 990 && gap.count() < 2000,
                     qPrintable(QString("gap %1 ms").arg(gap.count())));
        }
    }

    release();
    // The next attempt, about a second later, succeeds and the worker ends.
    QCOMPARE(worker.wait_for(std::chrono::milliseconds(2500)), std::future_status::ready);
    QCOMPARE(worker.get(), 0);
    QVERIFY(!PathExists(path));
}

void TestDeleteFileWorker::endsWhenSomeoneElseRemovesTheFile()
{
    // The removal keeps failing, but once the file is gone there is nothing left to do.
    TempDir dir;
    const std::string path = dir.file("gone.avi");
    WriteFile(path, "x");
    static std::atomic<int> refusals{0};
    refusals = 0;
    auto worker = std::async(std::launch::async, [path] {
        return DeleteFileWorker(path, 50, [](const char*) {
            ++refusals;
            return -1;
        });
    });
    QCOMPARE(worker.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    QVERIFY(refusals >= 3);
    QVERIFY(::unlink(path.c_str()) == 0);
    QCOMPARE(worker.wait_for(std::chrono::milliseconds(1000)), std::future_status::ready);
}

QTEST_GUILESS_MAIN(TestDeleteFileWorker)
#include "TestDeleteFileWorker.moc"
