// Adapter control operations: the only way the utility talks to the
// driver-control library. Each returns 0 on success, 10 when the library is
// not bound, else the library's status; out-values are written on success only.
#pragma once
#include "adapter/types.h"

#include <atomic>

int UIGetControlNicList(ControlNicList* list);
int UIInitAdapter(const wchar_t* adapterGuid);
int UISetSoftApMode(SoftApCfgInfo info);
int UISetSoftapParam(SoftApCfgInfo info);
int UISetSoftapParam2(SoftApCfgInfo info);
int UIStopSoftap();
int UIQuerySoftApStatus(SoftApStatus* status);
int UIQuerySoftApStaList();
int UIQueryIcsConnection(IcsConnectionList* list);
int UISetIcsConnection(IcsConnection conn);
int UIQueryIcsStatus(int* bEnableICS);
int UIQueryNicRadioStatus();
int UISetNicRadioStatus();
int UIDoUnplug();
int UIQueryServiceStatus();
int UIQueryCurControlTool();
int UISetControlTool();

// Process-wide values. The records are copied under SHARED_RECORD_GUARD.
extern ControlNicList adapterList;
extern ControlNicEntry currentAdapter;
extern std::atomic<int> stationCount;
extern std::atomic<int> gRadioState;    // last radio state reported
extern std::atomic<int> gServiceState;  // last driver service state reported
extern std::atomic<int> gControlTool;   // last control-tool type reported

// Text conversions used by the operations, exposed for their tests.
// UTF-16 into a narrow field of `fieldSize` bytes (ANSI code page, no best fit);
// the field is left empty when the text does not fit. Returns the narrow length.
int WideToField(const wchar_t* text, char* field, int fieldSize);
// GUID text (braced or bare) to 16 bytes; false and a zero GUID when malformed.
bool GuidFromText(const wchar_t* text, GUID* guid);
// 16 bytes to "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
void GuidToText(const GUID& guid, wchar_t* text, int textCount);

// The list-building step of UIGetControlNicList: the GUID text of every
// present record (non-empty hardware ID), in record order, up to 5 entries;
// the list is cleared first and its count logged. Returns the count.
struct NicDeviceRecord;
int FillControlNicList(const NicDeviceRecord* records, ControlNicList* list);
