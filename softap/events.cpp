// EventManage: maps each WFF event code to its soft AP action.
#include "softap/events.h"

#include "app/log.h"
#include "softap/softap_state.h"

std::atomic<unsigned> softApState{SOFTAP_Initializing};

const wchar_t* DravoEventName(int code) {
    switch (code) {
    case 8: return L"WFF_EVENT_RADIO_STATUS_CHANGE";
    case 10: return L"WFF_EVENT_CTRL_TOOL_CHANGE";
    case 11: return L"WFF_EVENT_STA_JOIN";
    case 12: return L"WFF_EVENT_STA_LEAVE";
    case 13: return L"WFF_EVENT_SAP_AVAILABL";
    case 14: return L"WFF_EVENT_SAP_NOTAVAILABL";
    case 15: return L"WFF_EVENT_STA_JOIN_ERROR_CIPHER";
    case 16: return L"WFF_EVENT_SOFTAP_REBOOT";
    case 17: return L"WFF_EVENT_NIC_CONTROL_CHANGE";
    case 18: return L"WFF_SERVICE_UNRUN";
    case 19: return L"WFF_SERVICE_RUN";
    default: return nullptr;
    }
}

LRESULT EventManage(WPARAM, LPARAM lParam) {
    int code = (int)lParam;
    const wchar_t* name = DravoEventName(code);
    if (!name) return 0;
    WriteUiLog(L"{EventManage} %s\n", name);
    return 0;
}
