// A control object for tests: every status and answer is a field the test
// sets, and every call is counted in slot order.
#pragma once
#include "adapter/dravo.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

struct ScriptedConnection {
    const wchar_t* name;
    int mediaType;
    int status;  // 2 = connected
};

class ScriptedDravo : public IDravo {
public:
    int status[DRAVO_SLOT_COUNT] = {};
    int calls[DRAVO_SLOT_COUNT] = {};
    std::vector<int> order;           // slots in call order
    int setIcsFailures = 0;           // SetIcsConnection fails this many times
    int active = 1, stations = 0, radio = 1, service = 1, tool = 1;
    std::vector<ScriptedConnection> connections;
    std::function<void()> onSetSoftApMode;  // runs inside SetSoftApMode, e.g. to change the state
    std::function<void(int)> onInitAdapter;  // runs inside InitAdapter with the call's number (1, 2, ...)

    int Count(int slot) const { return calls[slot]; }
    int DRAVO_THISCALL Reserved0() override { return Hit(0); }
    int DRAVO_THISCALL InitAdapter(GUID, DravoEventCallbackFn) override {
        if (onInitAdapter) onInitAdapter(calls[1] + 1);
        return Hit(1);
    }
    int DRAVO_THISCALL Reserved2() override { return Hit(2); }
    int DRAVO_THISCALL QueryServiceStatus(int32_t* s) override { *s = service; return Hit(3); }
    int DRAVO_THISCALL QueryNicRadioStatus(int32_t* r) override { *r = radio; return Hit(4); }
    int DRAVO_THISCALL Reserved5() override { return Hit(5); }
    int DRAVO_THISCALL QueryIcsConnection(DravoIcsEntry* e, int32_t* count) override {
        int n = 0;
        for (const ScriptedConnection& c : connections) {
            if (n >= *count) break;
            memset(&e[n], 0, sizeof e[n]);
            WideCharToMultiByte(CP_ACP, 0, c.name, -1, e[n].name, 255, nullptr, nullptr);
            snprintf(e[n].guidText, sizeof e[n].guidText, "{5C8A0D1E-0000-0000-0000-0000000000%02d}", n);
            e[n].mediaType = c.mediaType;
            e[n].status = c.status;
            ++n;
        }
        *count = n;
        return Hit(6);
    }
    int DRAVO_THISCALL SetNicRadioStatus(int32_t r) override { radio = r; return Hit(7); }
    int DRAVO_THISCALL Reserved8() override { return Hit(8); }
    int DRAVO_THISCALL SetIcsConnection(const DravoIcsSetting*) override {
        if (setIcsFailures > 0) {
            --setIcsFailures;
            Hit(9);
            return 7;
        }
        return Hit(9);
    }
    int DRAVO_THISCALL QueryIcsStatus(int32_t* b) override { *b = 1; return Hit(10); }
    int DRAVO_THISCALL SetSoftApMode(const DravoSoftApConfig*) override {
        if (onSetSoftApMode) onSetSoftApMode();
        return Hit(11);
    }
    int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig*) override { return Hit(12); }
    int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig*) override { return Hit(13); }
    int DRAVO_THISCALL QuerySoftApStatus(DravoSoftApStatus* s) override {
        s->active = active;
        s->staNum = stations;
        return Hit(14);
    }
    int DRAVO_THISCALL Reserved15() override { return Hit(15); }
    int DRAVO_THISCALL StopSoftap() override { return Hit(16); }
    int DRAVO_THISCALL DoUnplug() override { return Hit(17); }
    int DRAVO_THISCALL QueryCurControlTool(int32_t* t) override { *t = tool; return Hit(18); }
    int DRAVO_THISCALL SetControlTool(int32_t) override { return Hit(19); }

private:
    int Hit(int slot) {
        ++calls[slot];
        order.push_back(slot);
        return status[slot];
    }
};
