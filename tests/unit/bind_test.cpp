// Binding of the driver-control library: the slot table as the Windows
// compiler lays it out, the factory, and each binding failure.
#include "adapter/bind.h"
#include "app/log.h"
#include "app/messages.h"

#include "test_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A control object built by hand, the way another compiler would lay it out:
// a pointer to a table of 20 __thiscall functions, slot by slot.
struct RawObject {
    void** table;
    int lastSlot;
    GUID guid;
    void* pointerArg;
    int32_t intArg;
};

#define TC __attribute__((thiscall))
template <int N> int TC NoArgs(RawObject* self) { self->lastSlot = N; return 100 + N; }
template <int N> int TC OnePointer(RawObject* self, void* p) { self->lastSlot = N; self->pointerArg = p; return 100 + N; }
template <int N> int TC OneInt(RawObject* self, int32_t v) { self->lastSlot = N; self->intArg = v; return 100 + N; }
int TC Init(RawObject* self, GUID g, DravoEventCallbackFn cb) {
    self->lastSlot = 1;
    self->guid = g;
    self->pointerArg = (void*)cb;
    return 101;
}
int TC QueryIcs(RawObject* self, void* entries, int32_t* count) {
    self->lastSlot = 6;
    self->pointerArg = entries;
    self->intArg = *count;
    return 106;
}

void* gRawTable[20] = {
    (void*)NoArgs<0>,      (void*)Init,           (void*)NoArgs<2>,      (void*)OnePointer<3>,
    (void*)OnePointer<4>,  (void*)NoArgs<5>,      (void*)QueryIcs,       (void*)OneInt<7>,
    (void*)NoArgs<8>,      (void*)OnePointer<9>,  (void*)OnePointer<10>, (void*)OnePointer<11>,
    (void*)OnePointer<12>, (void*)OnePointer<13>, (void*)OnePointer<14>, (void*)NoArgs<15>,
    (void*)NoArgs<16>,     (void*)NoArgs<17>,     (void*)OnePointer<18>, (void*)OneInt<19>,
};

TEST(DravoInterface, EachOperationCallsItsSlotWithThiscall) {
    RawObject raw = {gRawTable, -1, {}, nullptr, 0};
    IDravo* d = (IDravo*)&raw;
    int32_t v = 0;
    DravoSoftApConfig cfg = {};
    DravoSoftApStatus st = {};
    DravoIcsSetting ics = {};
    DravoIcsEntry entries[10];
    int32_t count = 10;
    GUID g = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};

    EXPECT_EQ(101, d->InitAdapter(g, DravoEventCallback));
    EXPECT_EQ(1, raw.lastSlot);
    EXPECT_EQ(0, memcmp(&g, &raw.guid, 16));  // the 16 bytes themselves, by value
    EXPECT_EQ((void*)DravoEventCallback, raw.pointerArg);

    struct { int slot; int result; } calls[] = {
        {3, d->QueryServiceStatus(&v)},    {4, d->QueryNicRadioStatus(&v)}, {10, d->QueryIcsStatus(&v)},
        {11, d->SetSoftApMode(&cfg)},      {12, d->SetSoftapParam2(&cfg)},  {13, d->SetSoftapParam(&cfg)},
        {14, d->QuerySoftApStatus(&st)},   {9, d->SetIcsConnection(&ics)},  {16, d->StopSoftap()},
        {17, d->DoUnplug()},               {18, d->QueryCurControlTool(&v)},
    };
    for (auto& c : calls) EXPECT_EQ(100 + c.slot, c.result) << "slot " << c.slot;

    EXPECT_EQ(106, d->QueryIcsConnection(entries, &count));
    EXPECT_EQ(entries, raw.pointerArg);
    EXPECT_EQ(10, raw.intArg);
    EXPECT_EQ(107, d->SetNicRadioStatus(1));
    EXPECT_EQ(1, raw.intArg);
    EXPECT_EQ(119, d->SetControlTool(1));
    EXPECT_EQ(19, raw.lastSlot);
}

std::wstring BinPath(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring p(self);
    return p.substr(0, p.rfind(L'\\') + 1) + name;
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA("ui_log.log");
        gUiLogSwitch = 1;
        gDravo = nullptr;
    }
    void TearDown() override { gUiLogSwitch = 0; }
};

struct FailureRow { const wchar_t* dll; const char* logLine; };

TEST_F(Binding, EachFailureGivesTenAndItsOwnLine) {
    const FailureRow rows[] = {
        {L"no_such_dravo.dll", "Load Dravo module failed, Dravo name is \""},
        {L"dravo_noexport.dll", "LoadAPI failed, Dravo name is \""},
        {L"dravo_nullobject.dll", "Get Dravo FAILED.\r"},
    };
    for (const FailureRow& r : rows) {
        DeleteFileA("ui_log.log");
        EXPECT_EQ(10, UIBindAdapterFrom(BinPath(r.dll).c_str()));
        EXPECT_EQ(nullptr, gDravo);
        std::string log = ReadLog();
        EXPECT_NE(std::string::npos, log.find("{UIBindAdapter} new Dravolib\r\n")) << log;
        EXPECT_NE(std::string::npos, log.find(r.logLine)) << log;
    }
}

TEST_F(Binding, SimulatorBindsFromTheProgramFolder) {
    // UIBindAdapter looks beside the running program, not in the current directory.
    EXPECT_EQ(0, UIBindAdapter());
    EXPECT_NE(nullptr, gDravo);
}

TEST(EventCallback, PostsTheCodeToTheMainWindow) {
    gMainWnd = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, gMainWnd);
    EXPECT_NE(0, DravoEventCallback(18));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, gMainWnd, 0x1631, 0x1631, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(18, (int)msg.lParam);
    DestroyWindow(gMainWnd);
    gMainWnd = nullptr;
}

}  // namespace
