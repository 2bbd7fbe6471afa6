// A control object for tests of the adapter operations: each slot answers a
// scripted status and scripted out-values (written whatever the status, as a
// careless library might), and remembers the last call and what it was given.
#pragma once
#include "adapter/dravo.h"

#include <cstring>

class CScriptedDravo : public IDravo {
public:
    // Scripted answers.
    int status[DRAVO_SLOT_COUNT] = {};
    int32_t outValue = 0;                // the 32-bit queries (slots 3, 4, 10, 18)
    DravoSoftApStatus apStatus = {};     // slot 14
    DravoIcsEntry icsEntries[10] = {};   // slot 6: copied out, at most 10
    int32_t icsCount = 0;                // slot 6: the count answered

    // What the last calls received.
    int lastSlot = -1;
    int callCount = 0;
    GUID initGuid = {};
    DravoEventCallbackFn initCallback = nullptr;
    int32_t intArg = 0;
    int32_t offeredCount = 0;
    DravoSoftApConfig lastConfig = {};
    DravoIcsSetting lastIcs = {};

    int DRAVO_THISCALL Reserved0() override { return Call(0); }
    int DRAVO_THISCALL InitAdapter(GUID adapter, DravoEventCallbackFn callback) override {
        initGuid = adapter;
        initCallback = callback;
        return Call(1);
    }
    int DRAVO_THISCALL Reserved2() override { return Call(2); }
    int DRAVO_THISCALL QueryServiceStatus(int32_t* v) override { return Out(3, v); }
    int DRAVO_THISCALL QueryNicRadioStatus(int32_t* v) override { return Out(4, v); }
    int DRAVO_THISCALL Reserved5() override { return Call(5); }
    int DRAVO_THISCALL QueryIcsConnection(DravoIcsEntry* entries, int32_t* count) override {
        offeredCount = *count;
        int n = icsCount < 0 ? 0 : (icsCount > 10 ? 10 : icsCount);
        if (n > *count) n = *count;
        memcpy(entries, icsEntries, n * sizeof(DravoIcsEntry));
        *count = icsCount;
        return Call(6);
    }
    int DRAVO_THISCALL SetNicRadioStatus(int32_t radio) override {
        intArg = radio;
        return Call(7);
    }
    int DRAVO_THISCALL Reserved8() override { return Call(8); }
    int DRAVO_THISCALL SetIcsConnection(const DravoIcsSetting* s) override {
        lastIcs = *s;
        return Call(9);
    }
    int DRAVO_THISCALL QueryIcsStatus(int32_t* v) override { return Out(10, v); }
    int DRAVO_THISCALL SetSoftApMode(const DravoSoftApConfig* c) override { return Config(11, c); }
    int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig* c) override { return Config(12, c); }
    int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig* c) override { return Config(13, c); }
    int DRAVO_THISCALL QuerySoftApStatus(DravoSoftApStatus* s) override {
        *s = apStatus;
        return Call(14);
    }
    int DRAVO_THISCALL Reserved15() override { return Call(15); }
    int DRAVO_THISCALL StopSoftap() override { return Call(16); }
    int DRAVO_THISCALL DoUnplug() override { return Call(17); }
    int DRAVO_THISCALL QueryCurControlTool(int32_t* v) override { return Out(18, v); }
    int DRAVO_THISCALL SetControlTool(int32_t toolType) override {
        intArg = toolType;
        return Call(19);
    }

private:
    int Call(int slot) {
        lastSlot = slot;
        callCount++;
        return status[slot];
    }
    int Out(int slot, int32_t* v) {
        *v = outValue;
        return Call(slot);
    }
    int Config(int slot, const DravoSoftApConfig* c) {
        lastConfig = *c;
        return Call(slot);
    }
};
