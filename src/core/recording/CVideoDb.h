#pragma once

#include <cstdint>
#include <mutex>
#include <string>

struct sqlite3;

// The recordings-index connection (video.db). It is opened, used and closed
// within each user (run start, recycling worker); users on different threads
// hold Mutex() around each open-use-close sequence.
class CVideoDb
{
  public:
    // Creates the table and its index; each \t is a tab, as in existing databases.
    static constexpr const char* kCreateSql =
        "CREATE TABLE video (\tid INTEGER PRIMARY KEY,\tfilename TEXT,\ttm\tTIMESTAMP DEFAULT "
        "CURRENT_TIMESTAMP );create index indexfn on video(filename);";

    enum class QueryResult
    {
        Row,
        Empty,
        Error,
    };

    CVideoDb() = default;
    // Like the connection it stands for, it is not closed here: users close it.
    ~CVideoDb() = default;
    CVideoDb(const CVideoDb&) = delete;
    CVideoDb& operator=(const CVideoDb&) = delete;

    // Opens (creating the file if missing). True at once when already open.
    bool Open(const std::string& path);
    // Runs one or more statements; false when closed or on an error.
    bool Exec(const std::string& sql);
    // False (and the handle kept) when the library refuses to close.
    bool Close();
    bool IsOpen() const { return m_db != nullptr; }

    // Enters a recording. The name is bound, so any byte (a quote too) is
    // stored exactly as given.
    bool InsertFileName(const std::string& fileName);
    // The row with the smallest id.
    QueryResult SelectOldest(int64_t& id, std::string& fileName);
    bool DeleteRow(int64_t id);

    std::mutex& Mutex() { return m_mutex; }

  private:
    sqlite3* m_db = nullptr;
    std::mutex m_mutex;
};
