#pragma once

#include "recording/CVideoDb.h"

#include <atomic>
#include <functional>
#include <thread>

enum class RecycleResult
{
    Deleted,     // the oldest file and its row are gone
    RowOnly,     // the file was already missing (or could not be deleted); its row is gone
    KeptOpen,    // the oldest row names a file still being written: nothing deleted
    EmptyIndex,  // no row
    IndexFailed, // the index could not be opened or queried
};

// One recycling step: delete the oldest indexed recording and its row. The
// index lock is held around the whole open-use-close sequence.
RecycleResult RecycleOldest(CVideoDb& index);

// Runs RecycleOldest on a worker thread, at most one at a time; afterDone (for
// example re-arming the check timer) is called on the worker when it is done.
class CRecycler
{
  public:
    explicit CRecycler(CVideoDb& index) : m_index(index) {}
    ~CRecycler(); // waits for a running worker
    CRecycler(const CRecycler&) = delete;
    CRecycler& operator=(const CRecycler&) = delete;

    // False, and nothing started, while a worker is still running.
    bool Start(std::function<void(RecycleResult)> afterDone);
    bool IsRunning() const { return m_running.load(); }

  private:
    CVideoDb& m_index;
    std::atomic<bool> m_running{false};
    std::thread m_worker;
};
