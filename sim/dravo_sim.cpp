// Simulated driver-control library (placeholder: every operation succeeds).
#include "adapter/dravo.h"

class SimDravo : public IDravo {
public:
    int DRAVO_THISCALL Reserved0() override { return 0; }
    int DRAVO_THISCALL InitAdapter(GUID, DravoEventCallbackFn) override { return 0; }
    int DRAVO_THISCALL Reserved2() override { return 0; }
    int DRAVO_THISCALL QueryServiceStatus(int32_t* s) override { *s = 1; return 0; }
    int DRAVO_THISCALL QueryNicRadioStatus(int32_t* r) override { *r = 1; return 0; }
    int DRAVO_THISCALL Reserved5() override { return 0; }
    int DRAVO_THISCALL QueryIcsConnection(DravoIcsEntry*, int32_t* c) override { *c = 0; return 0; }
    int DRAVO_THISCALL SetNicRadioStatus(int32_t) override { return 0; }
    int DRAVO_THISCALL Reserved8() override { return 0; }
    int DRAVO_THISCALL SetIcsConnection(const DravoIcsSetting*) override { return 0; }
    int DRAVO_THISCALL QueryIcsStatus(int32_t* b) override { *b = 0; return 0; }
    int DRAVO_THISCALL SetSoftApMode(const DravoSoftApConfig*) override { return 0; }
    int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig*) override { return 0; }
    int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig*) override { return 0; }
    int DRAVO_THISCALL QuerySoftApStatus(DravoSoftApStatus*) override { return 0; }
    int DRAVO_THISCALL Reserved15() override { return 0; }
    int DRAVO_THISCALL StopSoftap() override { return 0; }
    int DRAVO_THISCALL DoUnplug() override { return 0; }
    int DRAVO_THISCALL QueryCurControlTool(int32_t* t) override { *t = 1; return 0; }
    int DRAVO_THISCALL SetControlTool(int32_t) override { return 0; }
};

extern "C" __declspec(dllexport) IDravo* __cdecl NewDravo() { return new SimDravo(); }
