// Strict readers for the values of the simulated world (numbers, GUIDs, MAC
// addresses, [ics] lines), shared by the simulated library, simctl and the
// end-to-end harness so that all of them agree on what a bad value is.
#pragma once
#include "sim/world.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Whole text as a 32-bit integer: optional sign, decimal or 0x-hex. Values
// above 0x7FFFFFFF wrap (0xFFFFFFFF reads as -1). false for anything else.
bool SimParseInt(const std::wstring& text, int32_t* out);

// "{8-4-4-4-12}" or the bare 36-character form, hex digits in either case.
bool SimParseGuid(const std::wstring& text, GUID* out);

// Braced, upper-case GUID text.
std::wstring SimGuidText(const GUID& guid);

// "00-E0-4C-81-92-A3", "00:e0:4c:81:92:a3" or "00E04C8192A3".
bool SimParseMac(const std::wstring& text, uint8_t mac[6]);

// "00-E0-4C-81-92-A3".
std::wstring SimMacText(const uint8_t mac[6]);

// One [ics] line: name|GUID|media type|status. The name may itself hold '|':
// the last three fields are taken from the right.
struct SimIcsLine {
    int index;             // N of connN
    std::wstring name;
    std::wstring guidText; // as written in the world
    GUID guid;
    int32_t mediaType;
    int32_t status;
};
bool SimParseIcsLine(const std::wstring& text, SimIcsLine* out);
std::wstring SimIcsLineText(const SimIcsLine& line);

// Number of connN keys the [ics] section stands for: its count when that is
// a number (clamped to 0..DRAVOSIM_MAX_ICS_LINES), else one past the highest connN present.
int SimIcsSlotCount(const SimWorld& world);

// The PC's connections in order; indices of missing or malformed lines go to *bad.
std::vector<SimIcsLine> SimIcsLines(const SimWorld& world, std::vector<int>* bad);
