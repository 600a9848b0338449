#include "RecordingChecks.h"

#include <sqlite3.h>

std::vector<std::string> IndexRows(const std::string& dbPath)
{
    std::vector<std::string> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
        sqlite3_prepare_v2(db, "SELECT filename FROM video ORDER BY id;", -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                          static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

int RedLabelPixels(const cv::Mat& bgr, int minRed, int maxOther)
{
    if (bgr.type() != CV_8UC3 || bgr.cols < 260 || bgr.rows < 240)
        return 0;
    int count = 0;
    const cv::Mat strip = bgr(cv::Rect(0, 212, 260, 28));
    for (int y = 0; y < strip.rows; ++y)
        for (int x = 0; x < strip.cols; ++x) {
            const cv::Vec3b p = strip.at<cv::Vec3b>(y, x);
            count += p[2] > minRed && p[1] < maxOther && p[0] < maxOther;
        }
    return count;
}
