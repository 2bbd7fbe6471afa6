// The simulated driver-control library's own vocabulary, shared with simctl
// and the tests: the statuses it answers on its own account and the names of
// the operations that failure injection and the call log use.
#pragma once

// Statuses the simulator returns by itself (a [fail] entry can return any value).
// None of them is 10, which the utility keeps for "library not bound".
#define DRAVOSIM_E_NO_ADAPTER    32  // no present, started adapter with that GUID (or it left)
#define DRAVOSIM_E_NOT_INIT      33  // soft AP work before InitAdapter, or after DoUnplug
#define DRAVOSIM_E_BAD_RECORD    34  // null pointer, bad capacity or a record that breaks its layout rules
#define DRAVOSIM_E_NO_CONNECTION 35  // SetIcsConnection names a connection the PC does not have
#define DRAVOSIM_E_RESERVED      36  // a reserved slot was called

// Operation names, as the call log and the [fail] sections spell them.
static const char* const kSimOperations[] = {
    "InitAdapter",      "QueryServiceStatus", "QueryNicRadioStatus", "QueryIcsConnection",
    "SetNicRadioStatus", "SetIcsConnection",  "QueryIcsStatus",      "SetSoftApMode",
    "SetSoftapParam2",  "SetSoftapParam",     "QuerySoftApStatus",   "StopSoftap",
    "DoUnplug",         "QueryCurControlTool", "SetControlTool",
};

// Adapter sections the world may hold: adapter0 .. adapter7.
#define DRAVOSIM_MAX_ADAPTERS 8
// [ics] lines examined when the section has no count.
#define DRAVOSIM_MAX_ICS_LINES 64
