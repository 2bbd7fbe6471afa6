// simctl: the one tool that changes the simulated world. Each command edits
// the world file (or appends to the event queue), saves it whole and brings
// the host side in line. Every command is documented in docs/simulator.md.
#include "sim/dravo_sim.h"
#include "sim/host/host_world.h"
#include "sim/sim_edit.h"
#include "sim/sim_parse.h"
#include "sim/world.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

enum {
    SIMCTL_OK = 0,
    SIMCTL_USAGE = 1,   // bad command or argument; nothing changed
    SIMCTL_IO = 2,      // the world file or a companion file could not be written
    SIMCTL_HOST = 3,    // the world was saved but the host side could not follow it
};

// Console output in UTF-8, whatever the console's code page.
void Out(const std::wstring& text) {
    std::string bytes = SimToUtf8(text);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void Err(const std::wstring& text) {
    std::string bytes = SimToUtf8(text);
    fwrite(bytes.data(), 1, bytes.size(), stderr);
    fflush(stderr);
}

int Usage(const std::wstring& why) {
    Err(L"simctl: " + why + L"\n(simctl help lists the commands)\n");
    return SIMCTL_USAGE;
}

const wchar_t kHelp[] =
    L"simctl COMMAND ...  (world: %Q8SIM_WORLD% or sim_world.ini beside simctl.exe)\n"
    L"  plug [N] [--mac MAC] [--guid GUID] [--stopped] [--no-connection] [--lower-case]\n"
    L"  unplug [N]\n"
    L"  set SECTION.KEY VALUE        unset SECTION.KEY\n"
    L"  fail OP STATUS [COUNT]       fail OP 0 (clear one)   fail clear (clear all)\n"
    L"  ics add NAME GUID MEDIATYPE STATUS\n"
    L"  ics set I status|media|name|guid VALUE\n"
    L"  ics clear\n"
    L"  event CODE\n"
    L"  stations N\n"
    L"  drop | undrop\n"
    L"  show | calls [N] | path\n"
    L"  reset\n";

bool ReadWhole(const std::wstring& path, std::string* out) {
    out->clear();
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out->append(buf, got);
    CloseHandle(f);
    return true;
}

bool ParseIndex(const wchar_t* text, int limit, int* out) {
    int32_t v = 0;
    if (!SimParseInt(text, &v) || v < 0 || v >= limit) return false;
    *out = v;
    return true;
}

int CmdPlug(SimWorld& w, int argc, wchar_t** argv) {
    int n = 0, i = 0;
    if (i < argc && argv[i][0] != L'-') {
        if (!ParseIndex(argv[i], DRAVOSIM_MAX_ADAPTERS, &n)) return Usage(L"plug: adapter number 0..7 expected");
        i++;
    }
    SimPlugOptions o = {};
    for (; i < argc; i++) {
        std::wstring a = argv[i];
        if (a == L"--mac" && i + 1 < argc) {
            o.mac = argv[++i];
            uint8_t bytes[6];
            if (!SimParseMac(o.mac, bytes)) return Usage(L"plug: bad MAC address: " + o.mac);
        } else if (a == L"--guid" && i + 1 < argc) {
            o.guid = argv[++i];
            GUID g;
            if (!SimParseGuid(o.guid, &g)) return Usage(L"plug: bad GUID: " + o.guid);
        } else if (a == L"--stopped") {
            o.bStopped = true;
        } else if (a == L"--no-connection") {
            o.bNoConnection = true;
        } else if (a == L"--lower-case") {
            o.bLowerCase = true;
        } else {
            return Usage(L"plug: unknown option " + a);
        }
    }
    return SimPlugAdapter(w, n, o) ? SIMCTL_OK : Usage(L"plug: bad arguments");
}

int CmdUnplug(SimWorld& w, int argc, wchar_t** argv) {
    int n = 0;
    if (argc > 1) return Usage(L"unplug: at most one adapter number");
    if (argc == 1 && !ParseIndex(argv[0], DRAVOSIM_MAX_ADAPTERS, &n)) return Usage(L"unplug: adapter number 0..7 expected");
    w.SetInt(L"adapter" + std::to_wstring(n), L"present", 0);
    return SIMCTL_OK;
}

bool SplitKey(const std::wstring& spec, std::wstring* section, std::wstring* key) {
    size_t dot = spec.find(L'.');
    if (dot == std::wstring::npos || dot == 0 || dot + 1 == spec.size()) return false;
    *section = spec.substr(0, dot);
    *key = spec.substr(dot + 1);
    return true;
}

int CmdSet(SimWorld& w, int argc, wchar_t** argv) {
    std::wstring section, key;
    if (argc != 2 || !SplitKey(argv[0], &section, &key)) return Usage(L"set SECTION.KEY VALUE");
    w.Set(section, key, argv[1]);
    return SIMCTL_OK;
}

int CmdUnset(SimWorld& w, int argc, wchar_t** argv) {
    std::wstring section, key;
    if (argc != 1 || !SplitKey(argv[0], &section, &key)) return Usage(L"unset SECTION.KEY");
    w.Erase(section, key);
    return SIMCTL_OK;
}

int CmdFail(SimWorld& w, int argc, wchar_t** argv) {
    if (argc == 1 && std::wstring(argv[0]) == L"clear") {
        w.EraseSection(L"fail");
        w.EraseSection(L"failcount");
        return SIMCTL_OK;
    }
    if (argc < 2 || argc > 3) return Usage(L"fail OP STATUS [COUNT]");
    int32_t status = 0, count = -1;
    if (!SimParseInt(argv[1], &status)) return Usage(L"fail: STATUS must be a number");
    if (argc == 3 && (!SimParseInt(argv[2], &count) || count < -1)) return Usage(L"fail: COUNT must be -1 or more");
    if (!SimArmFailure(w, argv[0], status, count)) return Usage(L"fail: unknown operation " + std::wstring(argv[0]));
    return SIMCTL_OK;
}

int CmdIcs(SimWorld& w, int argc, wchar_t** argv) {
    std::wstring sub = argc > 0 ? argv[0] : L"";
    if (sub == L"clear" && argc == 1) {
        w.EraseSection(L"ics");
        w.SetInt(L"ics", L"count", 0);
        return SIMCTL_OK;
    }
    if (sub == L"add" && argc == 5) {
        int32_t media = 0, status = 0;
        if (!SimParseInt(argv[3], &media)) return Usage(L"ics add: MEDIATYPE must be a number");
        if (!SimParseInt(argv[4], &status)) return Usage(L"ics add: STATUS must be a number");
        if (!SimAddIcsConnection(w, argv[1], argv[2], media, status))
            return Usage(L"ics add: bad GUID " + std::wstring(argv[2]) + L", or the list is full");
        return SIMCTL_OK;
    }
    if (sub == L"set" && argc == 4) {
        int slot = 0;
        if (!ParseIndex(argv[1], SimIcsSlotCount(w), &slot)) return Usage(L"ics set: no connection " + std::wstring(argv[1]));
        std::wstring key = L"conn" + std::to_wstring(slot);
        SimIcsLine line = {};
        line.index = slot;
        if (!SimParseIcsLine(w.Get(L"ics", key), &line))
            return Usage(L"ics set: " + key + L" is malformed; replace it with set ics." + key + L" ...");
        std::wstring field = argv[2], value = argv[3];
        GUID g;
        if (field == L"status") {
            if (!SimParseInt(value, &line.status)) return Usage(L"ics set: status must be a number");
        } else if (field == L"media") {
            if (!SimParseInt(value, &line.mediaType)) return Usage(L"ics set: media must be a number");
        } else if (field == L"name") {
            line.name = value;
        } else if (field == L"guid") {
            if (!SimParseGuid(value, &g)) return Usage(L"ics set: bad GUID " + value);
            line.guidText = value;
        } else {
            return Usage(L"ics set: field is status, media, name or guid");
        }
        w.Set(L"ics", key, SimIcsLineText(line));
        return SIMCTL_OK;
    }
    return Usage(L"ics add NAME GUID MEDIATYPE STATUS | ics set I FIELD VALUE | ics clear");
}

int CmdStations(SimWorld& w, int argc, wchar_t** argv) {
    int32_t n = 0;
    if (argc != 1 || !SimParseInt(argv[0], &n) || n < 0) return Usage(L"stations N (0 or more)");
    w.SetInt(L"softap", L"stations", n);
    return SIMCTL_OK;
}

int CmdEvent(const std::wstring& worldPath, int argc, wchar_t** argv) {
    int32_t code = 0;
    if (argc != 1 || !SimParseInt(argv[0], &code)) return Usage(L"event CODE");
    if (!SimAppendEvent(worldPath, code)) {
        Err(L"simctl: cannot append to sim_events.txt\n");
        return SIMCTL_IO;
    }
    return SIMCTL_OK;
}

int CmdShow(const std::wstring& worldPath) {
    std::string bytes;
    Out(L"; " + worldPath + L"\n");
    if (!ReadWhole(worldPath, &bytes)) {
        Out(L"; (no world file yet: every key takes its default)\n");
        return SIMCTL_OK;
    }
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    return SIMCTL_OK;
}

int CmdCalls(const std::wstring& worldPath, int argc, wchar_t** argv) {
    int32_t last = -1;
    if (argc > 1 || (argc == 1 && (!SimParseInt(argv[0], &last) || last < 0))) return Usage(L"calls [N]");
    std::string bytes;
    if (!ReadWhole(SimWorldSibling(worldPath, L"sim_calls.log"), &bytes)) return SIMCTL_OK;
    if (last == 0) return SIMCTL_OK;
    size_t start = 0;
    if (last > 0) {
        start = bytes.size();
        for (int32_t seen = 0; start > 0; start--) {
            if (bytes[start - 1] == '\n' && start != bytes.size() && ++seen == last) break;
        }
    }
    fwrite(bytes.data() + start, 1, bytes.size() - start, stdout);
    return SIMCTL_OK;
}

// Removes the library's companion files: call log, event queue, last records.
void RemoveCompanions(const std::wstring& worldPath) {
    static const wchar_t* const kFiles[] = {
        L"sim_calls.log", L"sim_events.txt", L"sim_last_SetSoftApMode.bin", L"sim_last_SetSoftapParam.bin",
        L"sim_last_SetSoftapParam2.bin", L"sim_last_SetIcsConnection.bin",
    };
    for (const wchar_t* name : kFiles) DeleteFileW(SimWorldSibling(worldPath, name).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc < 2) return Usage(L"no command");
    std::wstring cmd = argv[1];
    int rest = argc - 2;
    wchar_t** args = argv + 2;
    std::wstring worldPath = SimWorldPath(nullptr);

    if (cmd == L"help" || cmd == L"--help" || cmd == L"-h") {
        Out(kHelp);
        return SIMCTL_OK;
    }
    if (cmd == L"path") {
        Out(worldPath + L"\n");
        return SIMCTL_OK;
    }
    if (cmd == L"show") return CmdShow(worldPath);
    if (cmd == L"calls") return CmdCalls(worldPath, rest, args);
    if (cmd == L"event") return CmdEvent(worldPath, rest, args);

    SimWorld world;
    world.Load(worldPath);  // a missing file is an empty world
    int r = -1;
    if (cmd == L"plug") r = CmdPlug(world, rest, args);
    else if (cmd == L"unplug") r = CmdUnplug(world, rest, args);
    else if (cmd == L"set") r = CmdSet(world, rest, args);
    else if (cmd == L"unset") r = CmdUnset(world, rest, args);
    else if (cmd == L"fail") r = CmdFail(world, rest, args);
    else if (cmd == L"ics") r = CmdIcs(world, rest, args);
    else if (cmd == L"stations") r = CmdStations(world, rest, args);
    else if (cmd == L"drop" && rest == 0) r = (world.SetInt(L"softap", L"dropped", 1), SIMCTL_OK);
    else if (cmd == L"undrop" && rest == 0) r = (world.SetInt(L"softap", L"dropped", 0), SIMCTL_OK);
    else if (cmd == L"reset" && rest == 0) {
        world.sections.clear();
        RemoveCompanions(worldPath);
        r = SIMCTL_OK;
    }
    if (r == -1) return Usage(L"unknown command " + cmd);
    if (r != SIMCTL_OK) return r;

    if (!world.Save(worldPath)) {
        Err(L"simctl: cannot write " + worldPath + L"\n");
        return SIMCTL_IO;
    }
    std::wstring error;
    if (SimApplyHostWorld(world, &error) != 0) {
        Err(L"simctl: world saved, but the host side did not follow: " + error + L"\n");
        return SIMCTL_HOST;
    }
    return SIMCTL_OK;
}
