// EventManage, the control-tool handler, power notices and the keyboard
// filter of the main window.
#include "softap/events.h"

#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "softap/softap.h"
#include "softap/softap_state.h"
#include "softap/view.h"

std::atomic<unsigned> softApState{SOFTAP_Initializing};
PowerState gPowerState = {0, 0};

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

static void OnRadioChange() {
    // The radio counts as off only when the library answered and said so.
    if (UIQueryNicRadioStatus() == 0 && gRadioState == 0) {
        ShowNoCardLook();
        return;
    }
    InitSoftap();
}

LRESULT EventManage(WPARAM, LPARAM lParam) {
    int code = (int)lParam;
    const wchar_t* name = DravoEventName(code);
    if (!name) {
        WriteUiLog(L"{EventManage} unknown event %d ignored\n", code);
        return 0;
    }
    WriteUiLog(L"{EventManage} %s\n", name);
    switch (code) {
    case 8: OnRadioChange(); break;
    case 10: {
        int r = UIQueryCurControlTool();
        // Only a tool type the library actually reported as 0 takes control away.
        WPARAM tool = (r == 0 && gControlTool == 0) ? 0 : 1;
        SendMessageW(gMainWnd, WM_CTRL_TOOL, tool, 0);
        break;
    }
    case 17: ControlNicChange(); break;
    case 18:
        UIQueryServiceStatus();
        softApState = SOFTAP_NoCard;
        SoftApView()->ShowPage(SOFTAP_PAGE_TIPS);
        break;
    case 19: UIQueryServiceStatus(); break;
    default: break;
    }
    return 0;
}

LRESULT OnCtrlTool(WPARAM wParam) {
    if (wParam == 0) {
        softApState = SOFTAP_NoCard;
        SoftApView()->ShowPage(SOFTAP_PAGE_TIPS);
    }
    return 1;
}

bool PowerNotice(PowerState* power, WPARAM event) {
    switch (event) {
    case PBT_APMQUERYSUSPEND:
    case PBT_APMQUERYSTANDBY:
    case PBT_APMSUSPEND:
    case PBT_APMSTANDBY:
        WriteUiLog(L">>**OnPowerBroadcast** (SUSPEND or STANDBY) wParam = %d\n", (int)event);
        if (power->suspended == 0) {
            WriteUiLog(L">>**OnPowerBroadcast** (SUSPEND or STANDBY)\n");
            power->suspended = 1;
            power->wakeCount = 0;
        }
        return false;
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMESTANDBY:
    case PBT_APMRESUMEAUTOMATIC:
        WriteUiLog(L"<<**OnPowerBroadcast** (Wakeuped) wParam = %d\n", (int)event);
        if (power->suspended != 1) return false;
        WriteUiLog(L"<<**nPowerBroadcast** (Wakeuped1)\n");
        if (++power->wakeCount < 2) return false;
        WriteUiLog(L"<<**OnPowerBroadcast** (Wakeuped2)\n");
        power->wakeCount = 0;
        power->suspended = 0;
        return true;
    default:
        return false;
    }
}

LRESULT OnPowerBroadcast(WPARAM event) {
    if (PowerNotice(&gPowerState, event)) PostMessageW(gMainWnd, WM_DRAVO_EVENT, 0, 17);
    return 0;
}
