#include "recording/CVideoDb.h"

#include <sqlite3.h>

bool CVideoDb::Open(const std::string& path)
{
    if (m_db)
        return true;
    // Paths are UTF-8 already; SQLite takes them as they are.
    if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, 2000);
    return true;
}

bool CVideoDb::Exec(const std::string& sql)
{
    if (!m_db)
        return false;
    char* error = nullptr;
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    sqlite3_free(error);
    return rc == SQLITE_OK;
}

bool CVideoDb::Close()
{
    if (!m_db)
        return true;
    if (sqlite3_close(m_db) != SQLITE_OK)
        return false;
    m_db = nullptr;
    return true;
}

namespace {
// Runs a prepared statement to its first step; SQLITE_ROW or SQLITE_DONE on success.
struct Statement
{
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
};
} // namespace

bool CVideoDb::InsertFileName(const std::string& fileName)
{
    if (!m_db)
        return false;
    Statement s(m_db, "INSERT INTO video (filename) VALUES(?);");
    if (!s.stmt)
        return false;
    sqlite3_bind_text(s.stmt, 1, fileName.data(), static_cast<int>(fileName.size()), SQLITE_TRANSIENT);
    return sqlite3_step(s.stmt) == SQLITE_DONE;
}

CVideoDb::QueryResult CVideoDb::SelectOldest(int64_t& id, std::string& fileName)
{
    if (!m_db)
        return QueryResult::Error;
    Statement s(m_db, "SELECT id,filename FROM video ORDER BY id ASC LIMIT 1;");
    if (!s.stmt)
        return QueryResult::Error;
    int rc = sqlite3_step(s.stmt);
    if (rc == SQLITE_DONE)
        return QueryResult::Empty;
    if (rc != SQLITE_ROW)
        return QueryResult::Error;
    id = sqlite3_column_int64(s.stmt, 0);
    const unsigned char* text = sqlite3_column_text(s.stmt, 1);
    fileName.assign(text ? reinterpret_cast<const char*>(text) : "",
                    static_cast<size_t>(sqlite3_column_bytes(s.stmt, 1)));
    return QueryResult::Row;
}

bool CVideoDb::DeleteRow(int64_t id)
{
    if (!m_db)
        return false;
    Statement s(m_db, "DELETE FROM video WHERE id=?;");
    if (!s.stmt)
        return false;
    sqlite3_bind_int64(s.stmt, 1, id);
    return sqlite3_step(s.stmt) == SQLITE_DONE;
}
