#include "recording/Recycler.h"

#include "app/ProgramPaths.h"
#include "recording/OpenRecordings.h"
#include "recording/VideoIndex.h"

#include <cstdio>
#include <mutex>

RecycleResult RecycleOldest(CVideoDb& index)
{
    std::lock_guard<std::mutex> lock(index.Mutex());
    OpenVideoIndex(index);
    RecycleResult result = RecycleResult::IndexFailed;
    int64_t id = 0;
    std::string fileName;
    switch (index.SelectOldest(id, fileName)) {
    case CVideoDb::QueryResult::Error:
        break;
    case CVideoDb::QueryResult::Empty:
        result = RecycleResult::EmptyIndex;
        break;
    case CVideoDb::QueryResult::Row:
        if (OpenRecordings::Instance().Contains(fileName)) {
            result = RecycleResult::KeptOpen;
            break;
        }
        result = PathExists(fileName) && std::remove(fileName.c_str()) == 0 ? RecycleResult::Deleted
                                                                            : RecycleResult::RowOnly;
        index.DeleteRow(id);
        break;
    }
    CloseVideoIndex(index);
    return result;
}

CRecycler::~CRecycler()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool CRecycler::Start(std::function<void(RecycleResult)> afterDone)
{
    bool expected = false;
    if (!m_running.compare_exchange_strong(expected, true))
        return false;
    if (m_worker.joinable())
        m_worker.join(); // the previous worker has finished its work already
    m_worker = std::thread([this, afterDone = std::move(afterDone)] {
        RecycleResult result = RecycleOldest(m_index);
        m_running.store(false);
        if (afterDone)
            afterDone(result);
    });
    return true;
}
