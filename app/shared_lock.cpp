// The shared-record lock.
#include "app/shared_lock.h"

std::mutex& SharedRecordMutex() {
    static std::mutex m;
    return m;
}
