// The soft AP logic against a library that fails: every library operation
// that bring-up, sharing, stop, the station poll, the internet watch, event
// handling and the panel's settings workers call is made to fail at each
// point where it is called, once with a non-zero status and separately with a
// nonsense answer. Each case checks the state it ends in, what the window is
// told (posted and sent messages, view calls), the pauses and lock waits the
// code asked the clock for, that apLock and staLock are free afterwards, and
// that a later bring-up in a healthy world still reaches SOFTAP_Created.
//
// The failure points are not listed by hand: each flow first runs in a healthy
// world and the slots it called, in order, become the cases.
#include "adapter/bind.h"
#include "adapter/ops.h"
#include "app/log.h"
#include "app/messages.h"
#include "app/settings.h"
#include "netenv/ics_select.h"
#include "scripted_dravo.h"
#include "sim/host/host_world.h"
#include "sim/sim_edit.h"
#include "softap/clock.h"
#include "softap/events.h"
#include "softap/settings_worker.h"
#include "softap/softap.h"
#include "softap/softap_state.h"
#include "softap/view.h"

#include "test_threads.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum {
    SLOT_QUERY_SERVICE = 3,
    SLOT_QUERY_RADIO = 4,
    SLOT_QUERY_ICS = 6,
    SLOT_SET_RADIO = 7,
    SLOT_SET_ICS = 9,
    SLOT_SET_SOFTAP = 11,
    SLOT_SET_PARAM2 = 12,
    SLOT_SET_PARAM = 13,
    SLOT_QUERY_SOFTAP = 14,
    SLOT_STOP = 16,
    SLOT_UNPLUG = 17,
    SLOT_QUERY_TOOL = 18,
};

const DWORD kDeadlineMs = 30000;  // a wait for a worker; never reached unless the code under test hangs

// ---------------------------------------------------------------------------
// One timeline of what happened, in order: library calls ("slot 11"), the
// pauses and lock waits asked of the clock ("sleep 1000", "wait apLock
// 180000"), view calls ("view ShowPage 0") and messages sent to the window.

std::mutex gTimelineLock;
std::vector<std::string> gTimeline;

void Note(const std::string& what) {
    std::lock_guard<std::mutex> guard(gTimelineLock);
    gTimeline.push_back(what);
}

std::vector<std::string> Timeline(const char* prefix = "") {
    std::lock_guard<std::mutex> guard(gTimelineLock);
    std::vector<std::string> out;
    for (const std::string& s : gTimeline)
        if (s.compare(0, strlen(prefix), prefix) == 0) out.push_back(s);
    return out;
}

void ClearTimeline() {
    std::lock_guard<std::mutex> guard(gTimelineLock);
    gTimeline.clear();
}

// Clock requests only: "sleep N" and "wait NAME N".
std::vector<std::string> Durations() {
    std::vector<std::string> out;
    for (const std::string& s : Timeline())
        if (s.compare(0, 6, "sleep ") == 0 || s.compare(0, 5, "wait ") == 0) out.push_back(s);
    return out;
}

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : ", ") + s;
    return "[" + out + "]";
}

// Runs at each pause, on the pausing thread; a test uses it to look at a
// state while it holds, or to end a worker that loops forever.
std::function<void(DWORD)> gOnPause;

// The number of matrix cases run, printed once all tests have run.
int gCases = 0;
class CaseCount : public ::testing::Environment {
public:
    void TearDown() override { printf("[ fault matrix ] %d cases\n", gCases); }
};
::testing::Environment* const gCaseCount = ::testing::AddGlobalTestEnvironment(new CaseCount);

void RecordingSleep(DWORD ms) {
    Note("sleep " + std::to_string(ms));
    if (gOnPause) gOnPause(ms);
}

DWORD RecordingWait(HANDLE h, DWORD ms) {
    const char* name = h == apLock ? "apLock" : h == staLock ? "staLock" : "other";
    Note(std::string("wait ") + name + " " + std::to_string(ms));
    return WaitForSingleObject(h, 0);
}


// ---------------------------------------------------------------------------
// The window as the soft AP logic sees it: every view call is noted.

class RecordingView : public ISoftApView {
public:
    void ShowPage(int page) override { Note("view ShowPage " + std::to_string(page)); }
    void ShowMainWindow() override { Note("view ShowMainWindow"); }
    void HideMainWindow() override { Note("view HideMainWindow"); }
    void ShowCreating() override {
        Note("view ShowCreating");
        softApState = SOFTAP_Creating;
    }
    void HideCreating() override { Note("view HideCreating"); }
    bool CreatingWindowExists() const override { return false; }
    bool CreatingFlag() const override { return false; }
    void RestoreTrayIfRemoved() override { Note("view RestoreTrayIfRemoved"); }
    void ShowExitLook() override { Note("view ShowExitLook"); }
};

// Messages sent (not posted) to the main window are noted; the control-tool
// message is handled the way the main window handles it.
LRESULT CALLBACK TestWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= 0x1600 && msg < 0x1700) {
        char text[64];
        snprintf(text, sizeof text, "sent 0x%X %d %d", msg, (int)wp, (int)lp);
        Note(text);
        if (msg == WM_CTRL_TOOL) return OnCtrlTool(wp);
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// The library: the scripted one, plus one fault at one call of one slot.

enum Nonsense {
    NONE,
    ICS_COUNT_NEGATIVE,     // count -3
    ICS_COUNT_HUGE,         // count 100000 for a 10-entry array
    ICS_COUNT_ZERO,         // success with nothing listed
    ICS_GARBAGE_RECORDS,    // names and GUID texts without terminators, random bytes
    ICS_UNKNOWN_MEDIA,      // media type 77 on every entry
    ICS_UNKNOWN_STATUS,     // connection status 9 on every entry
    SAP_INACTIVE,           // success, hotspot not active
    SAP_ACTIVE_GARBAGE,     // active flag -1: any non-zero value means it runs
    SAP_STATIONS_NEGATIVE,  // station count -4
    SAP_STATIONS_HUGE,      // station count 0x7FFFFFFF
    SAP_GARBAGE_SSID,       // SSID field without terminator
    RADIO_UNKNOWN,          // radio state 7
    RADIO_OFF,              // radio state 0
    TOOL_NEGATIVE,          // control tool -1
    TOOL_ZERO,              // control tool 0: another tool took the adapter
    SERVICE_GARBAGE,        // service state -9
};

const char* NonsenseName(Nonsense n) {
    static const char* names[] = {"none",
                                  "ics count -3",
                                  "ics count 100000",
                                  "ics count 0",
                                  "ics garbage records",
                                  "ics unknown media type",
                                  "ics unknown status",
                                  "hotspot inactive",
                                  "active flag -1",
                                  "stations -4",
                                  "stations 0x7FFFFFFF",
                                  "ssid without terminator",
                                  "radio 7",
                                  "radio 0",
                                  "tool -1",
                                  "tool 0",
                                  "service -9"};
    return names[n];
}

class FaultDravo final : public ScriptedDravo {
public:
    int faultSlot = -1, faultCall = 0;  // which call of which slot goes wrong (1 = the first)
    int faultStatus = 0;                // non-zero: that call fails with this status
    Nonsense nonsense = NONE;           // else: that call answers this nonsense
    std::function<void(int)> onSetIcs;  // runs inside SetIcsConnection with the call's number

    int DRAVO_THISCALL QueryServiceStatus(int32_t* s) override {
        int r = ScriptedDravo::QueryServiceStatus(s);
        if (Hits(SLOT_QUERY_SERVICE) && nonsense == SERVICE_GARBAGE) *s = -9;
        return Done(SLOT_QUERY_SERVICE, r);
    }
    int DRAVO_THISCALL QueryNicRadioStatus(int32_t* r) override {
        int ret = ScriptedDravo::QueryNicRadioStatus(r);
        if (Hits(SLOT_QUERY_RADIO) && nonsense == RADIO_UNKNOWN) *r = 7;
        if (Hits(SLOT_QUERY_RADIO) && nonsense == RADIO_OFF) *r = 0;
        return Done(SLOT_QUERY_RADIO, ret);
    }
    int DRAVO_THISCALL QueryIcsConnection(DravoIcsEntry* e, int32_t* count) override {
        int capacity = *count;
        int r = ScriptedDravo::QueryIcsConnection(e, count);
        if (Hits(SLOT_QUERY_ICS)) {
            switch (nonsense) {
            case ICS_COUNT_NEGATIVE: *count = -3; break;
            case ICS_COUNT_HUGE: *count = 100000; break;
            case ICS_COUNT_ZERO: *count = 0; break;
            case ICS_GARBAGE_RECORDS:
                for (int i = 0; i < capacity; ++i) {
                    memset(&e[i], 0xA7, sizeof e[i]);
                    e[i].status = 2;
                    e[i].mediaType = 3;
                }
                *count = capacity;
                break;
            case ICS_UNKNOWN_MEDIA:
                for (int i = 0; i < *count; ++i) e[i].mediaType = 77;
                break;
            case ICS_UNKNOWN_STATUS:
                for (int i = 0; i < *count; ++i) e[i].status = 9;
                break;
            default: break;
            }
        }
        return Done(SLOT_QUERY_ICS, r);
    }
    int DRAVO_THISCALL SetNicRadioStatus(int32_t r) override {
        return Done(SLOT_SET_RADIO, ScriptedDravo::SetNicRadioStatus(r));
    }
    int DRAVO_THISCALL SetIcsConnection(const DravoIcsSetting* s) override {
        if (onSetIcs) onSetIcs(calls[SLOT_SET_ICS] + 1);
        return Done(SLOT_SET_ICS, ScriptedDravo::SetIcsConnection(s));
    }
    int DRAVO_THISCALL SetSoftApMode(const DravoSoftApConfig* c) override {
        return Done(SLOT_SET_SOFTAP, ScriptedDravo::SetSoftApMode(c));
    }
    int DRAVO_THISCALL SetSoftapParam2(const DravoSoftApConfig* c) override {
        return Done(SLOT_SET_PARAM2, ScriptedDravo::SetSoftapParam2(c));
    }
    int DRAVO_THISCALL SetSoftapParam(const DravoSoftApConfig* c) override {
        return Done(SLOT_SET_PARAM, ScriptedDravo::SetSoftapParam(c));
    }
    int DRAVO_THISCALL QuerySoftApStatus(DravoSoftApStatus* s) override {
        int r = ScriptedDravo::QuerySoftApStatus(s);
        if (Hits(SLOT_QUERY_SOFTAP)) {
            switch (nonsense) {
            case SAP_INACTIVE: s->active = 0; break;
            case SAP_ACTIVE_GARBAGE: s->active = -1; break;
            case SAP_STATIONS_NEGATIVE: s->staNum = -4; break;
            case SAP_STATIONS_HUGE: s->staNum = 0x7FFFFFFF; break;
            case SAP_GARBAGE_SSID: memset(s->ssid, 0xE9, sizeof s->ssid); break;
            default: break;
            }
        }
        return Done(SLOT_QUERY_SOFTAP, r);
    }
    int DRAVO_THISCALL StopSoftap() override { return Done(SLOT_STOP, ScriptedDravo::StopSoftap()); }
    int DRAVO_THISCALL DoUnplug() override { return Done(SLOT_UNPLUG, ScriptedDravo::DoUnplug()); }
    int DRAVO_THISCALL QueryCurControlTool(int32_t* t) override {
        int r = ScriptedDravo::QueryCurControlTool(t);
        if (Hits(SLOT_QUERY_TOOL) && nonsense == TOOL_NEGATIVE) *t = -1;
        if (Hits(SLOT_QUERY_TOOL) && nonsense == TOOL_ZERO) *t = 0;
        return Done(SLOT_QUERY_TOOL, r);
    }

private:
    // The scripted object has already counted the call.
    bool Hits(int slot) const { return slot == faultSlot && calls[slot] == faultCall; }
    int Done(int slot, int status) {
        Note("slot " + std::to_string(slot));
        if (Hits(slot) && faultStatus != 0) return faultStatus;
        return status;
    }
};

// A healthy world: one connected LAN connection, the hotspot active.
void MakeHealthy(FaultDravo& lib) {
    lib = FaultDravo();
    lib.connections = {{L"本地连接", 3, 2}, {L"宽带连接", 6, 1}};
}

// ---------------------------------------------------------------------------
// What a flow is expected to end with.

struct Outcome {
    unsigned state;
    std::vector<std::string> posts;  // "0x1638 2 0" = WM_SOFTAP_RESULT wParam 2, lParam 0
    std::vector<std::string> view;   // view calls and sent messages, in order
    std::vector<std::string> durations;
};

std::string P(UINT msg, int wParam, int lParam = 0) {
    char text[48];
    snprintf(text, sizeof text, "0x%X %d %d", msg, wParam, lParam);
    return text;
}
std::string Sent(UINT msg, int wParam) { return "sent " + P(msg, wParam); }

const std::string kResult0 = P(WM_SOFTAP_RESULT, 0);
const std::string kResult2 = P(WM_SOFTAP_RESULT, 2);
const std::string kCheckInternet = P(WM_CHECK_INTERNET, 0);
const std::string kStop = P(WM_SOFTAP_CTRL, 1);
const std::string kAdapterCheck = P(WM_DRAVO_EVENT, 0, 17);

const std::vector<std::string> kBringUpClock = {"wait apLock 180000", "sleep 1000"};
const std::vector<std::string> kStopClock = {"wait apLock 180000", "sleep 1000"};
const std::vector<std::string> kPollClock = {"wait staLock 1000", "sleep 2000"};
const std::vector<std::string> kWatchClock = {"sleep 50"};
const std::vector<std::string> kSettingsClock = {"wait apLock 180000"};

// One step where a flow calls the library: the n-th call of a slot.
struct Step {
    int slot;
    int call;
};

struct Fault {
    Step step;
    int status;         // non-zero: a failed call
    Nonsense nonsense;  // else: a nonsense answer
};

std::string Describe(const std::string& flow, const Fault& f) {
    std::ostringstream s;
    s << flow << ": slot " << f.step.slot << " call " << f.step.call << " ";
    if (f.status)
        s << "status " << f.status;
    else
        s << NonsenseName(f.nonsense);
    return s.str();
}

// A flow: how to set the world up, how to run it, and what each fault must
// lead to. `expect` answers from the behaviour the utility promises for that
// failure, not from the code.
struct Flow {
    std::string name;
    std::function<void(FaultDravo&)> arrange;
    std::function<void()> run;
    std::function<Outcome(const Fault&)> expect;
    std::vector<Fault> nonsense;  // the nonsense answers that apply to this flow
    // The flow hands the work to a worker it does not join: wait for it.
    bool bWorker = false;
};

// Waits until a bring-up worker started by the flow has settled its state,
// released apLock and posted what it is expected to post.
void SettleWorker(size_t expectedPosts, std::vector<std::string>* posts,
                  const std::function<std::vector<std::string>()>& take) {
    for (DWORD waited = 0; waited < kDeadlineMs; ++waited) {
        unsigned s = softApState;
        if (s != SOFTAP_Creating && s != SOFTAP_SettingIcs) break;
        Sleep(1);
    }
    if (WaitForSingleObject(apLock, kDeadlineMs) == WAIT_OBJECT_0) ReleaseMutex(apLock);
    for (DWORD waited = 0;; ++waited) {
        std::vector<std::string> more = take();
        posts->insert(posts->end(), more.begin(), more.end());
        if (posts->size() >= expectedPosts || waited >= 2000) break;
        Sleep(1);
    }
}

// ---------------------------------------------------------------------------

class FaultMatrix : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No adapter in the host world: a clean machine, whatever ran before.
        std::wstring error;
        SimWorld empty;
        SimApplyHostWorld(empty, &error);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Q8FaultMatrixWindow";
        RegisterClassW(&wc);
    }
    void SetUp() override {
        gSoftApClock = {RecordingSleep, RecordingWait};
        gOnPause = nullptr;
        gMainWnd = CreateWindowW(L"Q8FaultMatrixWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        apLock = CreateMutexW(nullptr, FALSE, nullptr);
        staLock = CreateMutexW(nullptr, FALSE, nullptr);
        exitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetSoftApView(&view);
        gDravo = &lib;
        MakeHealthy(lib);
        Reset();
    }
    void TearDown() override {
        gOnPause = nullptr;
        SetSoftApView(nullptr);
        gDravo = nullptr;
        DestroyWindow(gMainWnd);
        gMainWnd = nullptr;
        CloseHandle(apLock);
        CloseHandle(staLock);
        CloseHandle(exitEvent);
        exitEvent = nullptr;
    }
    void Reset() {
        currentAdapter = {};
        adapterList = {};
        gIcsInfo = {};
        wcscpy(gIcsInfo.networkName, L"本地连接");
        wcscpy(gSoftApInfo.ssid, L"Q8-Matrix");
        wcscpy(gSoftApInfo.key, L"12345678");
        gSoftApInfo.encrypt = 4;
        gSoftApInfo.auth = 9;
        stationCount = 3;
        gControlTool = 1;  // what a healthy library last reported
        TakePosted();
        ClearTimeline();
    }
    std::vector<std::string> TakePosted() {
        std::vector<std::string> out;
        MSG m;
        while (PeekMessageW(&m, gMainWnd, 0x1600, 0x1700, PM_REMOVE)) out.push_back(P(m.message, (int)m.wParam, (int)m.lParam));
        return out;
    }
    std::vector<std::string> ViewAndSent() {
        std::vector<std::string> out;
        for (const std::string& s : Timeline())
            if (s.compare(0, 5, "view ") == 0 || s.compare(0, 5, "sent ") == 0) out.push_back(s);
        return out;
    }
    // The library calls a flow makes in a healthy world, as steps.
    std::vector<Step> HealthySteps(const Flow& flow) {
        MakeHealthy(lib);
        Reset();
        flow.arrange(lib);
        flow.run();
        std::vector<std::string> posts;
        if (flow.bWorker) SettleWorker(2, &posts, [this] { return TakePosted(); });
        std::vector<Step> steps;
        std::map<int, int> seen;
        for (int slot : lib.order) steps.push_back({slot, ++seen[slot]});
        TakePosted();
        return steps;
    }
    // Runs one case, checks it, and then checks that a healthy bring-up still works.
    void RunCase(const Flow& flow, const Fault& fault) {
        std::string what = Describe(flow.name, fault);
        MakeHealthy(lib);
        Reset();
        flow.arrange(lib);
        lib.faultSlot = fault.step.slot;
        lib.faultCall = fault.step.call;
        lib.faultStatus = fault.status;
        lib.nonsense = fault.nonsense;
        flow.run();
        Outcome want = flow.expect(fault);
        std::vector<std::string> posts;
        if (flow.bWorker) SettleWorker(want.posts.size(), &posts, [this] { return TakePosted(); });
        std::vector<std::string> rest = TakePosted();
        posts.insert(posts.end(), rest.begin(), rest.end());
        EXPECT_EQ(want.state, (unsigned)softApState) << what;
        EXPECT_EQ(Join(want.posts), Join(posts)) << what;
        EXPECT_EQ(Join(want.view), Join(ViewAndSent())) << what;
        EXPECT_EQ(Join(want.durations), Join(Durations())) << what;
        EXPECT_TRUE(FreeForAnotherThread(apLock)) << what << ": apLock left held";
        EXPECT_TRUE(FreeForAnotherThread(staLock)) << what << ": staLock left held";
        // The same program, the library healthy again: a bring-up works.
        MakeHealthy(lib);
        Reset();
        softApState = SOFTAP_Creating;
        ThreadSetSoftApAndIcs(gMainWnd);
        EXPECT_EQ((unsigned)SOFTAP_Created, (unsigned)softApState) << what << ": no bring-up afterwards";
        EXPECT_EQ(Join({kCheckInternet, kResult2}), Join(TakePosted())) << what;
        ++gCases;
    }
    void RunFlow(const Flow& flow) {
        std::vector<Step> steps = HealthySteps(flow);
        ASSERT_FALSE(steps.empty()) << flow.name;
        for (const Step& s : steps) RunCase(flow, {s, 7, NONE});
        for (const Step& s : steps) RunCase(flow, {s, -1, NONE});  // a negative status is a failure too
        for (const Fault& f : flow.nonsense) RunCase(flow, f);
    }

    FaultDravo lib;
    RecordingView view;
};

// --- bring-up and sharing ---------------------------------------------------

Flow BringUpFlow() {
    Flow f;
    f.name = "bring-up";
    f.arrange = [](FaultDravo&) { softApState = SOFTAP_Creating; };
    f.run = [] { ThreadSetSoftApAndIcs(gMainWnd); };
    f.expect = [](const Fault& x) -> Outcome {
        const Outcome created = {SOFTAP_Created, {kCheckInternet, kResult2}, {}, kBringUpClock};
        const Outcome createFailed = {SOFTAP_CreateFailed, {kResult0}, {}, kBringUpClock};
        const Outcome noInternet = {SOFTAP_NoInternet, {kResult0, kCheckInternet, kStop}, {}, kBringUpClock};
        if (x.status) {
            switch (x.step.slot) {
            case SLOT_SET_SOFTAP:
            case SLOT_QUERY_SOFTAP: return createFailed;
            case SLOT_QUERY_ICS: return noInternet;
            case SLOT_SET_ICS: return created;  // one failure is retried at once
            }
        }
        switch (x.nonsense) {
        case SAP_INACTIVE: return createFailed;
        case ICS_COUNT_NEGATIVE:
        case ICS_COUNT_ZERO:
        case ICS_UNKNOWN_MEDIA:
        case ICS_UNKNOWN_STATUS: return noInternet;
        default: return created;
        }
    };
    f.nonsense = {
        {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_INACTIVE},        {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_ACTIVE_GARBAGE},
        {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_STATIONS_NEGATIVE}, {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_STATIONS_HUGE},
        {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_GARBAGE_SSID},    {{SLOT_QUERY_ICS, 1}, 0, ICS_COUNT_NEGATIVE},
        {{SLOT_QUERY_ICS, 1}, 0, ICS_COUNT_HUGE},         {{SLOT_QUERY_ICS, 1}, 0, ICS_COUNT_ZERO},
        {{SLOT_QUERY_ICS, 1}, 0, ICS_GARBAGE_RECORDS},    {{SLOT_QUERY_ICS, 1}, 0, ICS_UNKNOWN_MEDIA},
        {{SLOT_QUERY_ICS, 1}, 0, ICS_UNKNOWN_STATUS},
    };
    return f;
}

TEST_F(FaultMatrix, BringUpAndSharing) {
    RunFlow(BringUpFlow());
    // Sharing refused twice: the second call has its own failure point.
    Flow twice = BringUpFlow();
    twice.name = "bring-up, sharing refused twice";
    twice.arrange = [](FaultDravo& d) {
        softApState = SOFTAP_Creating;
        d.setIcsFailures = 1;
    };
    twice.expect = [](const Fault&) -> Outcome {
        return {SOFTAP_IcsFailed, {kResult0, kStop}, {}, kBringUpClock};
    };
    RunCase(twice, {{SLOT_SET_ICS, 2}, 7, NONE});
}

// --- stop --------------------------------------------------------------------

TEST_F(FaultMatrix, Stop) {
    Flow f;
    f.name = "stop";
    f.arrange = [](FaultDravo&) { softApState = SOFTAP_Stopped; };
    f.run = [] { ThreadStopSoftap(nullptr); };
    // The stop's result is not looked at: nothing changes, nothing is told.
    f.expect = [](const Fault&) -> Outcome { return {SOFTAP_Stopped, {}, {}, kStopClock}; };
    RunFlow(f);
}

// --- station poll ------------------------------------------------------------

// One pass of the poll: the pause after it ends the loop.
void OnePollPass() {
    gOnPause = [](DWORD) { SetEvent(exitEvent); };
    ThreadMonitorStations(nullptr);
    gOnPause = nullptr;
    ResetEvent(exitEvent);
}

TEST_F(FaultMatrix, StationPoll) {
    Flow f;
    f.name = "station poll";
    f.arrange = [](FaultDravo& d) {
        softApState = SOFTAP_Created;
        d.stations = 2;
    };
    f.run = OnePollPass;
    f.expect = [](const Fault& x) -> Outcome {
        const Outcome running = {SOFTAP_Created, {}, {}, kPollClock};
        const Outcome gone = {SOFTAP_Stopped, {kResult0}, {}, kPollClock};
        // The first query counts stations, the second asks whether the hotspot still runs.
        if (x.status) return x.step.call == 2 ? gone : running;
        return x.nonsense == SAP_INACTIVE && x.step.call == 2 ? gone : running;
    };
    f.nonsense = {
        {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_INACTIVE},       {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_STATIONS_NEGATIVE},
        {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_STATIONS_HUGE},  {{SLOT_QUERY_SOFTAP, 1}, 0, SAP_GARBAGE_SSID},
        {{SLOT_QUERY_SOFTAP, 2}, 0, SAP_INACTIVE},       {{SLOT_QUERY_SOFTAP, 2}, 0, SAP_ACTIVE_GARBAGE},
        {{SLOT_QUERY_SOFTAP, 2}, 0, SAP_STATIONS_NEGATIVE}, {{SLOT_QUERY_SOFTAP, 2}, 0, SAP_GARBAGE_SSID},
    };
    RunFlow(f);
}

// A failed or nonsense count never reaches the user as a negative number, and
// a failed count leaves the last good one.
TEST_F(FaultMatrix, StationCountAfterAFailedOrNonsenseCount) {
    struct CountCase {
        int status;
        Nonsense nonsense;
        int shown;
    };
    const CountCase table[] = {{0, NONE, 2}, {7, NONE, 3}, {0, SAP_STATIONS_NEGATIVE, 0}};
    for (const CountCase& c : table) {
        MakeHealthy(lib);
        Reset();
        softApState = SOFTAP_Created;
        lib.stations = 2;
        lib.faultSlot = SLOT_QUERY_SOFTAP;
        lib.faultCall = 1;
        lib.faultStatus = c.status;
        lib.nonsense = c.nonsense;
        OnePollPass();
        EXPECT_EQ(c.shown, (int)stationCount) << c.status << " " << NonsenseName(c.nonsense);
    }
}

// --- internet watch (re-choosing the shared connection) ----------------------

// One pass of the watch: the state at its pause is kept, then the watch is
// ended (it ends when the adapter is gone).
unsigned gStateAtPause;
void OneWatchPass() {
    gStateAtPause = 0xFFFF;
    gOnPause = [](DWORD) {
        gStateAtPause = softApState;
        softApState = SOFTAP_NoCard;
    };
    ThreadCheckInternet(nullptr);
    gOnPause = nullptr;
    softApState = gStateAtPause;
}

TEST_F(FaultMatrix, InternetWatchWhenTheSharedConnectionDrops) {
    Flow f;
    f.name = "watch, shared connection down";
    f.arrange = [](FaultDravo& d) {
        softApState = SOFTAP_Created;
        d.connections = {{L"本地连接", 3, 1}, {L"宽带连接", 6, 2}};
    };
    f.run = OneWatchPass;
    f.expect = [](const Fault& x) -> Outcome {
        // Listed but down: no-internet look, unplug, and a new bring-up with the other connection.
        const Outcome dropped = {SOFTAP_NoInternet, {kAdapterCheck}, {"view ShowMainWindow"}, kWatchClock};
        const Outcome droppedNoChoice = {SOFTAP_NoInternet, {}, {"view ShowMainWindow"}, kWatchClock};
        // No answer: only a new choice, the state stays.
        const Outcome unknown = {SOFTAP_Created, {kAdapterCheck}, {}, kWatchClock};
        const Outcome unknownNoChoice = {SOFTAP_Created, {}, {}, kWatchClock};
        if (x.status) {
            if (x.step.slot == SLOT_QUERY_ICS) return x.step.call == 1 ? unknown : droppedNoChoice;
            return dropped;  // the unplug's result is not looked at
        }
        if (x.step.call == 1) {
            switch (x.nonsense) {
            case ICS_COUNT_NEGATIVE:
            case ICS_COUNT_ZERO: return unknown;
            case ICS_GARBAGE_RECORDS: return unknown;  // the shared name is not listed
            case ICS_UNKNOWN_STATUS: return dropped;
            default: return dropped;
            }
        }
        switch (x.nonsense) {
        case ICS_COUNT_NEGATIVE:
        case ICS_COUNT_ZERO:
        case ICS_UNKNOWN_MEDIA:
        case ICS_UNKNOWN_STATUS: return droppedNoChoice;
        default: return dropped;
        }
    };
    for (int call = 1; call <= 2; ++call)
        for (Nonsense n : {ICS_COUNT_NEGATIVE, ICS_COUNT_HUGE, ICS_COUNT_ZERO, ICS_GARBAGE_RECORDS, ICS_UNKNOWN_MEDIA,
                           ICS_UNKNOWN_STATUS})
            f.nonsense.push_back({{SLOT_QUERY_ICS, call}, 0, n});
    RunFlow(f);
}

TEST_F(FaultMatrix, InternetWatchWhenTheSharedConnectionComesBack) {
    Flow f;
    f.name = "watch, connection back";
    f.arrange = [](FaultDravo&) { softApState = SOFTAP_NoInternet; };
    f.run = OneWatchPass;
    f.expect = [](const Fault& x) -> Outcome {
        const Outcome back = {SOFTAP_InternetBack, {kAdapterCheck}, {}, kWatchClock};
        // Not listed or no answer: a new choice is made; the state stays.
        const Outcome retry = {SOFTAP_NoInternet, {kAdapterCheck}, {}, kWatchClock};
        const Outcome retryNoChoice = {SOFTAP_NoInternet, {}, {}, kWatchClock};
        if (x.status) return x.step.call == 1 ? retry : retryNoChoice;
        if (x.step.call == 2) return retryNoChoice;
        switch (x.nonsense) {
        case ICS_COUNT_NEGATIVE:
        case ICS_COUNT_ZERO:
        case ICS_GARBAGE_RECORDS: return retry;
        case ICS_UNKNOWN_STATUS:
            // Listed but not connected: the no-internet look again, unplug, and
            // a new bring-up with the connection the next (sane) answer lists.
            return {SOFTAP_NoInternet, {kAdapterCheck}, {"view ShowMainWindow"}, kWatchClock};
        default: return back;
        }
    };
    for (Nonsense n :
         {ICS_COUNT_NEGATIVE, ICS_COUNT_HUGE, ICS_COUNT_ZERO, ICS_GARBAGE_RECORDS, ICS_UNKNOWN_MEDIA, ICS_UNKNOWN_STATUS})
        f.nonsense.push_back({{SLOT_QUERY_ICS, 1}, 0, n});
    RunFlow(f);
    // The healthy pass calls the library once; a failed first call leads to a
    // second (the new choice), which gets its own failure case.
    Flow both = f;
    both.name = "watch, connection back, both queries fail";
    both.arrange = [](FaultDravo& d) {
        softApState = SOFTAP_NoInternet;
        d.status[SLOT_QUERY_ICS] = 5;
    };
    RunCase(both, {{SLOT_QUERY_ICS, 2}, 7, NONE});
}

// --- event handling ------------------------------------------------------------

Flow EventFlow(int code) {
    Flow f;
    f.name = "event " + std::to_string(code);
    f.arrange = [](FaultDravo&) { softApState = SOFTAP_Created; };
    f.run = [code] { EventManage(0, code); };
    const Outcome noCard = {SOFTAP_NoCard, {}, {"view HideCreating", "view ShowPage 0"}, {}};
    const Outcome unchanged = {SOFTAP_Created, {}, {}, {}};
    switch (code) {
    case 8:
        // Radio on or unknown: set-up runs and, with no adapter listed, ends in
        // the no-adapter look; radio off: the same look at once.
        f.expect = [noCard](const Fault&) { return noCard; };
        f.nonsense = {{{SLOT_QUERY_RADIO, 1}, 0, RADIO_UNKNOWN}, {{SLOT_QUERY_RADIO, 1}, 0, RADIO_OFF}};
        break;
    case 10:
        f.expect = [unchanged](const Fault& x) -> Outcome {
            if (x.nonsense == TOOL_ZERO)
                return {SOFTAP_NoCard, {}, {Sent(WM_CTRL_TOOL, 0), "view ShowPage 0"}, {}};
            Outcome o = unchanged;
            o.view = {Sent(WM_CTRL_TOOL, 1)};  // a failed query takes nothing away
            return o;
        };
        f.nonsense = {{{SLOT_QUERY_TOOL, 1}, 0, TOOL_NEGATIVE}, {{SLOT_QUERY_TOOL, 1}, 0, TOOL_ZERO}};
        break;
    case 18:
        f.expect = [](const Fault&) -> Outcome { return {SOFTAP_NoCard, {}, {"view ShowPage 0"}, {}}; };
        f.nonsense = {{{SLOT_QUERY_SERVICE, 1}, 0, SERVICE_GARBAGE}};
        break;
    case 19:
        f.expect = [unchanged](const Fault&) { return unchanged; };
        f.nonsense = {{{SLOT_QUERY_SERVICE, 1}, 0, SERVICE_GARBAGE}};
        break;
    }
    return f;
}

TEST_F(FaultMatrix, EventHandling) {
    for (int code : {8, 10, 18, 19}) RunFlow(EventFlow(code));
}

// --- set-up with an adapter present ------------------------------------------

// The adapter is in the host world; the stored network is used as it is.
class FaultMatrixWithAdapter : public FaultMatrix {
protected:
    void SetUp() override {
        FaultMatrix::SetUp();
        SimPlugOptions o = {};
        o.guid = L"{5C8A0D1E-1234-4321-ABCD-00000000F00D}";
        ASSERT_TRUE(SimPlugAdapter(world, 0, o));
        std::wstring error;
        ASSERT_EQ(0, SimApplyHostWorld(world, &error));
        gIniFile = {};
        wcscpy(gIniFile.softApCfgInfo.ssid, L"Q8-Matrix");
        gIniFile.softApCfgInfo.encrypt = 1;
        gIniFile.softApCfgInfo.auth = 1;
        gIniFile.softApCfgInfo.channel = 6;
        gIniFile.softApCfgInfo.frequency = 2437;
    }
    void TearDown() override {
        world = SimWorld();
        std::wstring error;
        SimApplyHostWorld(world, &error);
        FaultMatrix::TearDown();
    }
    SimWorld world;
};

// The outcome of the bring-up worker that set-up starts, for a fault in it.
Outcome WorkerOutcome(const Fault& x) {
    Flow bringUp = BringUpFlow();
    if (x.step.slot == SLOT_SET_SOFTAP || x.step.slot == SLOT_QUERY_SOFTAP || x.step.slot == SLOT_QUERY_ICS ||
        x.step.slot == SLOT_SET_ICS)
        return bringUp.expect(x);
    return {SOFTAP_Created, {kCheckInternet, kResult2}, {}, kBringUpClock};
}

TEST_F(FaultMatrixWithAdapter, SetUpTurnsTheRadioOnAndStartsTheBringUp) {
    Flow f = BringUpFlow();
    f.name = "set-up, radio off";
    f.bWorker = true;
    f.arrange = [](FaultDravo& d) {
        softApState = SOFTAP_Creating;
        d.radio = 0;
    };
    f.run = [] { InitSoftap(); };
    // The service and radio answers and the radio switch are not checked
    // further: the bring-up goes on and ends as its own steps decide.
    f.expect = WorkerOutcome;
    f.nonsense.push_back({{SLOT_QUERY_RADIO, 1}, 0, RADIO_UNKNOWN});
    f.nonsense.push_back({{SLOT_QUERY_SERVICE, 1}, 0, SERVICE_GARBAGE});
    RunFlow(f);
}

TEST_F(FaultMatrixWithAdapter, RadioEventWithTheAdapterPresent) {
    Flow f = BringUpFlow();
    f.name = "event 8 with an adapter";
    f.bWorker = true;
    f.arrange = [](FaultDravo&) { softApState = SOFTAP_Creating; };
    f.run = [] { EventManage(0, 8); };
    f.expect = [](const Fault& x) -> Outcome {
        // Only a radio the library reports off, on the event's own query, ends it.
        if (!x.status && x.nonsense == RADIO_OFF && x.step.slot == SLOT_QUERY_RADIO && x.step.call == 1)
            return {SOFTAP_NoCard, {}, {"view HideCreating", "view ShowPage 0"}, {}};
        return WorkerOutcome(x);
    };
    f.nonsense.push_back({{SLOT_QUERY_RADIO, 1}, 0, RADIO_OFF});
    f.nonsense.push_back({{SLOT_QUERY_RADIO, 1}, 0, RADIO_UNKNOWN});
    f.nonsense.push_back({{SLOT_QUERY_RADIO, 2}, 0, RADIO_OFF});  // set-up then switches it on
    RunFlow(f);
}

// --- the panel's settings workers --------------------------------------------

void WaitSettingsIdle() {
    for (DWORD waited = 0; (SoftapParamWorkerBusy() || SoftapParam2WorkerBusy()) && waited < kDeadlineMs; waited += 1)
        Sleep(1);
}

SoftApCfgInfo PanelConfig() {
    SoftApCfgInfo c = {};
    wcscpy(c.ssid, L"Q8-Panel");
    wcscpy(c.key, L"abcd1234");
    c.encrypt = 4;
    c.auth = 9;
    c.channel = 6;
    c.frequency = 2437;
    return c;
}

TEST_F(FaultMatrix, SettingsWorkers) {
    for (bool hide : {false, true}) {
        Flow f;
        f.name = hide ? "hide worker" : "apply worker";
        f.arrange = [](FaultDravo&) { softApState = SOFTAP_Created; };
        f.run = [hide] {
            if (hide)
                RequestSoftapParam2(PanelConfig());
            else
                RequestSoftapParam(PanelConfig());
            WaitSettingsIdle();
        };
        // The panel does not report the adapter's answer: nothing changes.
        f.expect = [](const Fault&) -> Outcome { return {SOFTAP_Created, {}, {}, kSettingsClock}; };
        RunFlow(f);
    }
}


// ---------------------------------------------------------------------------
// The pauses and lock waits asked of the clock, in order among the library
// calls: a pause in the wrong place, of the wrong length, or a lock wait with
// the wrong limit shows here.

class AskedDurations : public FaultMatrix {};

TEST_F(AskedDurations, BringUpPausesOnceAfterSettingTheModeAndRetriesSharingAtOnce) {
    softApState = SOFTAP_Creating;
    lib.setIcsFailures = 1;
    ThreadSetSoftApAndIcs(gMainWnd);
    EXPECT_EQ((unsigned)SOFTAP_Created, (unsigned)softApState);
    const std::vector<std::string> want = {"wait apLock 180000", "slot 11", "sleep 1000", "slot 14",
                                           "slot 6",             "slot 9",  "slot 9"};
    EXPECT_EQ(Join(want), Join(Timeline()));
}

TEST_F(AskedDurations, StopCallsTheLibraryUnderTheLockThenPausesBeforeReleasingIt) {
    bool heldDuringPause = false;
    gOnPause = [&](DWORD) { heldDuringPause = !FreeForAnotherThread(apLock); };
    ThreadStopSoftap(nullptr);
    EXPECT_EQ(Join({"wait apLock 180000", "slot 16", "sleep 1000"}), Join(Timeline()));
    EXPECT_TRUE(heldDuringPause);
    EXPECT_TRUE(FreeForAnotherThread(apLock));
}

TEST_F(AskedDurations, StationPollHoldsStaLockOnlyAroundItsTwoQueries) {
    struct PollCase {
        unsigned state;
        std::vector<std::string> timeline;
    };
    const PollCase table[] = {
        {SOFTAP_Created, {"wait staLock 1000", "slot 14", "slot 14", "sleep 2000"}},
        {SOFTAP_Stopped, {"sleep 2000"}},
        {SOFTAP_NoInternet, {"sleep 2000"}},
        {SOFTAP_SettingIcs, {"sleep 2000"}},
    };
    for (const PollCase& c : table) {
        Reset();
        softApState = c.state;
        bool staHeldDuringPause = true;
        gOnPause = [&](DWORD) {
            staHeldDuringPause = !FreeForAnotherThread(staLock);
            SetEvent(exitEvent);
        };
        ThreadMonitorStations(nullptr);
        ResetEvent(exitEvent);
        EXPECT_EQ(Join(c.timeline), Join(Timeline())) << c.state;
        EXPECT_FALSE(staHeldDuringPause) << c.state;
    }
}

TEST_F(AskedDurations, InternetWatchPausesFiftyMillisecondsPerPass) {
    softApState = SOFTAP_Created;
    int passes = 0;
    gOnPause = [&](DWORD) {
        if (++passes == 3) softApState = SOFTAP_NoCard;
    };
    ThreadCheckInternet(nullptr);
    EXPECT_EQ(Join({"sleep 50", "sleep 50", "sleep 50"}), Join(Durations()));
}

TEST_F(AskedDurations, SettingsWorkersWaitForApLockWithTheLongLimit) {
    RequestSoftapParam(PanelConfig());
    WaitSettingsIdle();
    RequestSoftapParam2(PanelConfig());
    WaitSettingsIdle();
    EXPECT_EQ(Join({"wait apLock 180000", "slot 13", "wait apLock 180000", "slot 12"}), Join(Timeline()));
}

// ---------------------------------------------------------------------------
// Transient states, seen while they hold.

class TransientStates : public FaultMatrix {};

TEST_F(TransientStates, SettingIcsHoldsWhileSharingIsSetEvenOnTheRetry) {
    struct Seen {
        unsigned state;
        bool apLockHeld;
    };
    std::vector<Seen> seen;
    lib.setIcsFailures = 1;
    lib.onSetIcs = [&](int) { seen.push_back({(unsigned)softApState, !FreeForAnotherThread(apLock)}); };
    softApState = SOFTAP_Creating;
    ThreadSetSoftApAndIcs(gMainWnd);
    ASSERT_EQ(2u, seen.size());
    for (const Seen& s : seen) {
        EXPECT_EQ((unsigned)SOFTAP_SettingIcs, s.state);
        EXPECT_TRUE(s.apLockHeld);
    }
    EXPECT_EQ((unsigned)SOFTAP_Created, (unsigned)softApState);
}

TEST_F(TransientStates, AStateChangedWhileSharingIsSetIsKept) {
    // The adapter goes away (or the user exits) while sharing is being set:
    // that state wins and the bring-up reports nothing.
    for (unsigned meanwhile : {(unsigned)SOFTAP_NoCard, (unsigned)SOFTAP_Stopped}) {
        Reset();
        MakeHealthy(lib);
        lib.onSetIcs = [meanwhile](int) { softApState = meanwhile; };
        softApState = SOFTAP_Creating;
        ThreadSetSoftApAndIcs(gMainWnd);
        EXPECT_EQ(meanwhile, (unsigned)softApState);
        // No result page, no stop and no internet watch: the bring-up's own
        // outcome is not reported over the state that won.
        for (const std::string& posted : TakePosted())
            for (UINT outcome : {WM_SOFTAP_RESULT, WM_SOFTAP_CTRL, WM_CHECK_INTERNET})
                EXPECT_NE(0u, posted.find(P(outcome, 0).substr(0, 7))) << meanwhile << " posted " << posted;
        EXPECT_TRUE(FreeForAnotherThread(apLock)) << meanwhile;
    }
}

TEST_F(TransientStates, InternetBackHoldsUntilTheAdapterCheckRuns) {
    softApState = SOFTAP_NoInternet;
    std::vector<unsigned> atPause;
    std::vector<std::string> postedByThen;
    gOnPause = [&](DWORD) {
        atPause.push_back(softApState);
        if (atPause.size() == 1) postedByThen = TakePosted();
        if (atPause.size() == 2) softApState = SOFTAP_NoCard;
    };
    ThreadCheckInternet(nullptr);
    // After the first pass: InternetBack and one adapter check. The second
    // pass sees the connection still up and changes nothing.
    ASSERT_EQ(2u, atPause.size());
    EXPECT_EQ((unsigned)SOFTAP_InternetBack, atPause[0]);
    EXPECT_EQ((unsigned)SOFTAP_InternetBack, atPause[1]);
    EXPECT_EQ(Join({kAdapterCheck}), Join(postedByThen));
    EXPECT_TRUE(TakePosted().empty());
}

}  // namespace
