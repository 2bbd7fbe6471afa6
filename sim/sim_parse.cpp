// Strict readers for the values of the simulated world.
#include "sim/sim_parse.h"

#include "sim/dravo_sim.h"

#include <cstdio>
#include <cwchar>

static int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool SimParseInt(const std::wstring& text, int32_t* out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    uint64_t value = 0;
    for (; i < text.size(); i++) {
        int d = HexValue(text[i]);
        if (d < 0 || (unsigned)d >= base) return false;
        value = value * base + (unsigned)d;
        if (value > 0xFFFFFFFFull) return false;
    }
    uint32_t bits = (uint32_t)value;
    *out = (int32_t)(negative ? 0u - bits : bits);
    return true;
}

static bool HexRun(const std::wstring& text, size_t at, size_t digits, uint32_t* out) {
    uint32_t v = 0;
    for (size_t i = 0; i < digits; i++) {
        int d = HexValue(text[at + i]);
        if (d < 0) return false;
        v = (v << 4) | (uint32_t)d;
    }
    *out = v;
    return true;
}

bool SimParseGuid(const std::wstring& text, GUID* out) {
    std::wstring t = text;
    if (t.size() == 38 && t.front() == L'{' && t.back() == L'}') t = t.substr(1, 36);
    if (t.size() != 36 || t[8] != L'-' || t[13] != L'-' || t[18] != L'-' || t[23] != L'-') return false;
    GUID g = {};
    uint32_t v = 0;
    if (!HexRun(t, 0, 8, &v)) return false;
    g.Data1 = v;
    if (!HexRun(t, 9, 4, &v)) return false;
    g.Data2 = (uint16_t)v;
    if (!HexRun(t, 14, 4, &v)) return false;
    g.Data3 = (uint16_t)v;
    static const size_t kByteAt[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; i++) {
        if (!HexRun(t, kByteAt[i], 2, &v)) return false;
        g.Data4[i] = (uint8_t)v;
    }
    *out = g;
    return true;
}

std::wstring SimGuidText(const GUID& g) {
    wchar_t buf[48];
    _snwprintf(buf, 48, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", (unsigned long)g.Data1, g.Data2,
               g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
               g.Data4[7]);
    buf[47] = L'\0';
    return buf;
}

bool SimParseMac(const std::wstring& text, uint8_t mac[6]) {
    std::wstring hex;
    if (text.size() == 17) {
        wchar_t sep = text[2];
        if (sep != L'-' && sep != L':') return false;
        for (size_t i = 0; i < 17; i++) {
            if (i % 3 == 2) {
                if (text[i] != sep) return false;
            } else {
                hex += text[i];
            }
        }
    } else if (text.size() == 12) {
        hex = text;
    } else {
        return false;
    }
    for (int i = 0; i < 6; i++) {
        uint32_t v = 0;
        if (!HexRun(hex, i * 2, 2, &v)) return false;
        mac[i] = (uint8_t)v;
    }
    return true;
}

std::wstring SimMacText(const uint8_t mac[6]) {
    wchar_t buf[24];
    _snwprintf(buf, 24, L"%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    buf[23] = L'\0';
    return buf;
}

bool SimParseIcsLine(const std::wstring& text, SimIcsLine* out) {
    size_t p3 = text.rfind(L'|');
    if (p3 == std::wstring::npos || p3 == 0) return false;
    size_t p2 = text.rfind(L'|', p3 - 1);
    if (p2 == std::wstring::npos || p2 == 0) return false;
    size_t p1 = text.rfind(L'|', p2 - 1);
    if (p1 == std::wstring::npos) return false;
    SimIcsLine line;
    line.index = out->index;
    line.name = text.substr(0, p1);
    line.guidText = text.substr(p1 + 1, p2 - p1 - 1);
    if (!SimParseGuid(line.guidText, &line.guid)) return false;
    if (!SimParseInt(text.substr(p2 + 1, p3 - p2 - 1), &line.mediaType)) return false;
    if (!SimParseInt(text.substr(p3 + 1), &line.status)) return false;
    *out = line;
    return true;
}

std::wstring SimIcsLineText(const SimIcsLine& line) {
    return line.name + L"|" + line.guidText + L"|" + std::to_wstring(line.mediaType) + L"|" +
           std::to_wstring(line.status);
}

int SimIcsSlotCount(const SimWorld& world) {
    int32_t count = 0;
    if (SimParseInt(world.Get(L"ics", L"count"), &count)) {
        if (count < 0) return 0;
        return count > DRAVOSIM_MAX_ICS_LINES ? DRAVOSIM_MAX_ICS_LINES : count;
    }
    auto section = world.sections.find(L"ics");
    if (section == world.sections.end()) return 0;
    int slots = 0;
    for (int i = 0; i < DRAVOSIM_MAX_ICS_LINES; i++)
        if (section->second.count(L"conn" + std::to_wstring(i))) slots = i + 1;
    return slots;
}

std::vector<SimIcsLine> SimIcsLines(const SimWorld& world, std::vector<int>* bad) {
    std::vector<SimIcsLine> lines;
    int slots = SimIcsSlotCount(world);
    for (int i = 0; i < slots; i++) {
        SimIcsLine line = {};
        line.index = i;
        if (SimParseIcsLine(world.Get(L"ics", L"conn" + std::to_wstring(i)), &line))
            lines.push_back(line);
        else if (bad)
            bad->push_back(i);
    }
    return lines;
}
