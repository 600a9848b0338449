#include "recording/Recycler.h"

#include "recording/CAviWriter.h"
#include "recording/OpenRecordings.h"
#include "recording/VideoIndex.h"

#include "RecordingChecks.h"
#include "TempDir.h"
#include "app/ProgramPaths.h"

#include <QTest>

#include <fstream>
#include <future>

class TestRecycler : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void deletesOldestFirstOnePerStep();
    void missingFileLosesOnlyItsRow();
    void fileBeingWrittenIsKept();
    void emptyIndexDeletesNothing();
    void atMostOneWorker();

  private:
    void Index(const std::vector<std::string>& names);
    std::string MakeFile(const std::string& name);

    std::unique_ptr<TempDir> m_dir;
    CVideoDb m_db;
};

void TestRecycler::init()
{
    m_dir = std::make_unique<TempDir>();
    g_programDir = m_dir->path();
}

void TestRecycler::Index(const std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> lock(m_db.Mutex());
    OpenVideoIndex(m_db);
    for (const auto& name : names)
        AddToVideoIndex(m_db, name);
    CloseVideoIndex(m_db);
}

std::string TestRecycler::MakeFile(const std::string& name)
{
    const std::string path = m_dir->file(name);
    std::ofstream(path) << "recording";
    return path;
}

void TestRecycler::deletesOldestFirstOnePerStep()
{
    const std::string a = MakeFile("[20240101000000]#1.avi");
    const std::string b = MakeFile("o'neil 监控 [20240101000100]#1.avi");
    const std::string c = MakeFile("[20240101000200]#1.avi");
    Index({a, b, c});

    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::Deleted));
    QVERIFY(!PathExists(a));
    QVERIFY(PathExists(b));
    QCOMPARE(IndexRows(VideoIndexPath()), (std::vector<std::string>{b, c}));

    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::Deleted));
    QVERIFY(!PathExists(b));
    QVERIFY(PathExists(c));
    QCOMPARE(IndexRows(VideoIndexPath()), (std::vector<std::string>{c}));
    QVERIFY(!m_db.IsOpen());
}

void TestRecycler::missingFileLosesOnlyItsRow()
{
    const std::string gone = m_dir->file("gone.avi");
    const std::string kept = MakeFile("kept.avi");
    Index({gone, kept});
    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::RowOnly));
    QVERIFY(PathExists(kept));
    QCOMPARE(IndexRows(VideoIndexPath()), (std::vector<std::string>{kept}));
}

// On Linux unlinking an open file succeeds and the recording would vanish:
// the oldest row naming a file in progress stops recycling until it is done.
void TestRecycler::fileBeingWrittenIsKept()
{
    const std::string live = m_dir->file("live.avi");
    const std::string newer = MakeFile("newer.avi");
    CAviWriter writer;
    QVERIFY(writer.Open(live));
    Index({live, newer});

    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::KeptOpen));
    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::KeptOpen));
    QVERIFY(PathExists(live));
    QVERIFY(PathExists(newer));
    QCOMPARE(IndexRows(VideoIndexPath()), (std::vector<std::string>{live, newer}));

    // Another spelling of the same file is recognised too.
    Index({m_dir->path() + "./live.avi"});
    QVERIFY(OpenRecordings::Instance().Contains(m_dir->path() + "./live.avi"));

    QVERIFY(writer.Close());
    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::Deleted));
    QVERIFY(!PathExists(live));
}

void TestRecycler::emptyIndexDeletesNothing()
{
    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::EmptyIndex));
    QVERIFY(PathExists(VideoIndexPath())); // created with its table on the way
    QCOMPARE(int(RecycleOldest(m_db)), int(RecycleResult::EmptyIndex));
}

void TestRecycler::atMostOneWorker()
{
    const std::string a = MakeFile("a.avi");
    const std::string b = MakeFile("b.avi");
    Index({a, b});
    CRecycler recycler(m_db);
    std::promise<RecycleResult> done;
    {
        // The worker waits for the index lock, as behind a run start.
        std::unique_lock<std::mutex> busy(m_db.Mutex());
        QVERIFY(recycler.Start([&done](RecycleResult r) { done.set_value(r); }));
        QVERIFY(recycler.IsRunning());
        QVERIFY(!recycler.Start([](RecycleResult) { QFAIL("a second worker ran"); }));
    }
    auto result = done.get_future();
    QCOMPARE(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    QCOMPARE(int(result.get()), int(RecycleResult::Deleted));
    QTRY_VERIFY(!recycler.IsRunning());
    QVERIFY(!PathExists(a));
    QVERIFY(PathExists(b));

    std::promise<RecycleResult> second;
    QVERIFY(recycler.Start([&second](RecycleResult r) { second.set_value(r); }));
    QCOMPARE(int(second.get_future().get()), int(RecycleResult::Deleted));
    QVERIFY(!PathExists(b));
}

QTEST_GUILESS_MAIN(TestRecycler)
#include "TestRecycler.moc"
