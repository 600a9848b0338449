#include "recording/CVideoDb.h"
#include "recording/VideoIndex.h"

#include "TempDir.h"
#include "app/ProgramPaths.h"

#include <QTest>

#include <sqlite3.h>

#include <fstream>

class TestCVideoDb : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void createsIndexWithItsTable();
    void existingFileIsNotRecreated();
    void storesNamesByteForByte_data();
    void storesNamesByteForByte();
    void oldestFirstAndDeleteById();
    void closedConnectionRefusesWork();

  private:
    std::unique_ptr<TempDir> m_dir;
};

void TestCVideoDb::init()
{
    m_dir = std::make_unique<TempDir>();
    g_programDir = m_dir->path();
}

void TestCVideoDb::createsIndexWithItsTable()
{
    CVideoDb db;
    OpenVideoIndex(db);
    QVERIFY(db.IsOpen());
    QCOMPARE(VideoIndexPath(), m_dir->file("video.db"));
    QVERIFY(PathExists(m_dir->file("video.db")));
    // The schema text is kept as written, tabs included.
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(VideoIndexPath().c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, "SELECT sql FROM sqlite_master WHERE name='video';", -1, &stmt, nullptr);
    QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
    QCOMPARE(
        QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
        QByteArray("CREATE TABLE video (\tid INTEGER PRIMARY KEY,\tfilename TEXT,\ttm\tTIMESTAMP DEFAULT "
                   "CURRENT_TIMESTAMP )"));
    sqlite3_finalize(stmt);
    sqlite3_prepare_v2(raw, "SELECT count(*) FROM sqlite_master WHERE type='index' AND name='indexfn';", -1,
                       &stmt, nullptr);
    QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(stmt, 0), 1);
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
    CloseVideoIndex(db);
    QVERIFY(!db.IsOpen());
}

// The table is created only with a new file: an existing file without it makes
// every insert fail, silently.
void TestCVideoDb::existingFileIsNotRecreated()
{
    std::ofstream(m_dir->file("video.db")).close();
    CVideoDb db;
    OpenVideoIndex(db);
    QVERIFY(db.IsOpen());
    QVERIFY(!db.InsertFileName("/rec/a.avi"));
    CloseVideoIndex(db);
}

void TestCVideoDb::storesNamesByteForByte_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << QByteArray("/home/u/rec/[20091201083015]#1.avi");
    QTest::newRow("single quote") << QByteArray("/home/o'brien/rec/[20091201083015]#2.avi");
    QTest::newRow("sql in name") << QByteArray("/tmp/x');DROP TABLE video;--#1.avi");
    QTest::newRow("chinese") << QByteArray("/srv/监控录像/[20091201083015]#1.avi");
    QTest::newRow("gbk bytes") << QByteArray("D:\\\xBC\xE0\xBF\xD8\\[20091201083015]#1.avi");
    QTest::newRow("percent") << QByteArray("/tmp/%s%d#1.avi");
}

void TestCVideoDb::storesNamesByteForByte()
{
    QFETCH(QByteArray, name);
    CVideoDb db;
    OpenVideoIndex(db);
    AddToVideoIndex(db, name.toStdString());
    int64_t id = 0;
    std::string stored;
    QCOMPARE(int(db.SelectOldest(id, stored)), int(CVideoDb::QueryResult::Row));
    QCOMPARE(QByteArray::fromStdString(stored), name);
    QVERIFY(db.Exec("SELECT 1 FROM video;")); // the table survived
    CloseVideoIndex(db);
}

void TestCVideoDb::oldestFirstAndDeleteById()
{
    CVideoDb db;
    OpenVideoIndex(db);
    for (const char* name : {"/r/a.avi", "/r/b.avi", "/r/a.avi"})
        QVERIFY(db.InsertFileName(name));
    QVERIFY(db.Open("/ignored/while/open.db")); // already open: reused

    std::vector<std::string> order;
    int64_t id = 0;
    std::string name;
    while (db.SelectOldest(id, name) == CVideoDb::QueryResult::Row) {
        order.push_back(name);
        QVERIFY(db.DeleteRow(id));
    }
    QCOMPARE(order, (std::vector<std::string>{"/r/a.avi", "/r/b.avi", "/r/a.avi"}));
    QCOMPARE(int(db.SelectOldest(id, name)), int(CVideoDb::QueryResult::Empty));
    QVERIFY(db.Close());
    QVERIFY(db.Close()); // closed already: nothing to do
}

void TestCVideoDb::closedConnectionRefusesWork()
{
    CVideoDb db;
    int64_t id = 0;
    std::string name;
    QVERIFY(!db.Exec("SELECT 1;"));
    QVERIFY(!db.InsertFileName("/r/a.avi"));
    QCOMPARE(int(db.SelectOldest(id, name)), int(CVideoDb::QueryResult::Error));
    QVERIFY(!db.Open(m_dir->file("missing/dir/video.db")));
    QVERIFY(!db.IsOpen());
}

QTEST_GUILESS_MAIN(TestCVideoDb)
#include "TestCVideoDb.moc"
