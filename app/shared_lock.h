// One short lock for copying the process-wide records (settings, the adapter
// list, the MAC table, the shared connection) in or out. Those records hold
// texts that another thread may be copying at the same moment; 32-bit values
// shared between threads are std::atomic instead. Hold it only for a copy,
// never across a library call, a wait or a window message.
#pragma once
#include <mutex>

std::mutex& SharedRecordMutex();

#define SHARED_RECORD_GUARD std::lock_guard<std::mutex> sharedRecordGuard_(SharedRecordMutex())

// Copies a shared record under the lock.
template <typename T> void CopyShared(T* to, const T& from) {
    SHARED_RECORD_GUARD;
    *to = from;
}
