// The process-wide soft AP state. Read and written by the UI thread and by
// every worker; atomic so that a worker's re-read before each decision sees
// the latest value.
#pragma once
#include <atomic>

enum SoftApStateValue : unsigned {
    SOFTAP_NoCard = 0,
    SOFTAP_NoInternet = 1,
    SOFTAP_Stopped = 2,
    SOFTAP_Creating = 3,
    SOFTAP_CreateFailed = 5,
    SOFTAP_InternetBack = 6,
    SOFTAP_SettingIcs = 7,
    SOFTAP_Created = 8,
    SOFTAP_IcsFailed = 9,
    SOFTAP_Initializing = 10,
};

extern std::atomic<unsigned> softApState;
