// Adapter control operations: the program's records in, the library's
// fixed-layout records out (narrow ANSI texts, 16-byte GUIDs), one library
// call and its log lines each, and the answer converted back. Also the
// process-wide values those answers set.
#include "adapter/ops.h"

#include "adapter/bind.h"
#include "adapter/dravo.h"
#include "adapter/secmode.h"
#include "app/log.h"
#include "app/shared_lock.h"
#include "netenv/discovery.h"

#include <rpc.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

ControlNicList adapterList;
ControlNicEntry currentAdapter;
std::atomic<int> stationCount{0};
std::atomic<int> gRadioState{0};
std::atomic<int> gServiceState{0};
std::atomic<int> gControlTool{0};

namespace {

// Conversion limits of the narrow fields, in bytes with the terminator.
const int DRAVO_SSID_FIELD = 32;
const int DRAVO_KEY_FIELD = 64;
const int DRAVO_GUID_TEXT_FIELD = 40;
const int DRAVO_NAME_FIELD = 250;
const int DRAVO_ICS_CAPACITY = 10;
const int DRAVO_STATUS_UNBOUND = 10;

// Narrow field (ANSI code page) back to UTF-16. Reads up to the terminator
// and never past the field, even when the library left no terminator.
void FieldToWide(const char* field, int fieldSize, wchar_t* out, int outCount) {
    if (!out || outCount <= 0) return;
    out[0] = L'\0';
    const char* end = (const char*)memchr(field, 0, fieldSize);
    int length = end ? (int)(end - field) : fieldSize;
    if (!end) WriteUiLog(L"{FieldToWide} %d-byte field without terminator, read to its end\n", fieldSize);
    if (length == 0) return;
    // One byte never yields more than one UTF-16 unit, so this always fits.
    wchar_t wide[512];
    int n = MultiByteToWideChar(CP_ACP, 0, field, length, wide, 512);
    if (n <= 0) {
        WriteUiLog(L"{FieldToWide} conversion failed, error %d\n", (int)GetLastError());
        return;
    }
    if (n > outCount - 1) {
        n = outCount - 1;
        if (n > 0 && IS_HIGH_SURROGATE(wide[n - 1])) n--;
    }
    wmemcpy(out, wide, n);
    out[n] = L'\0';
}

// Station counts are shown to the user; a negative answer is nonsense.
int CheckedStationCount(int raw, const wchar_t* operation) {
    if (raw >= 0) return raw;
    WriteUiLog(L"{%s} station count %d out of range, using 0\n", operation, raw);
    return 0;
}

void FillSoftApConfig(const SoftApCfgInfo& info, DravoSoftApConfig* cfg) {
    memset(cfg, 0, sizeof(*cfg));
    cfg->ssidLength = WideToField(info.ssid, cfg->ssid, DRAVO_SSID_FIELD);
    cfg->const16 = 16;
    // Always channel 11; the configured channel and frequency are not passed.
    cfg->frequencyMHz = 2462;
    cfg->const100 = 100;
    cfg->keyed = info.encrypt != ENCRYPT_NONE ? 1 : 0;
    cfg->auth = info.auth;
    cfg->encrypt = info.encrypt;
    cfg->keyLength = WideToField(info.key, cfg->key, DRAVO_KEY_FIELD);
    cfg->const2 = 2;
    cfg->hideSSIDtype = info.hideSSIDtype;
}

enum ConfigOp { CONFIG_OP_MODE, CONFIG_OP_PARAM, CONFIG_OP_PARAM2 };

int SendSoftApConfig(SoftApCfgInfo info, ConfigOp op) {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    info.ssid[Q8_TEXT_MAX - 1] = L'\0';
    info.key[Q8_TEXT_MAX - 1] = L'\0';
    DravoSoftApConfig cfg;
    FillSoftApConfig(info, &cfg);

    if (op == CONFIG_OP_MODE)
        WriteUiLog(L"{UISetSoftApMode} ssid=%s\n", info.ssid);
    else
        WriteUiLog(L"{UISetSoftapParam} ssid=%s\n", info.ssid);
    WriteUiLog(L"{UISetSoftApMode} encryptMode=%d\n", info.encrypt);
    if (cfg.keyed) WriteUiLog(L"{UISetSoftApMode} psk=%s\n", info.key);

    int ret;
    if (op == CONFIG_OP_MODE)
        ret = dravo->SetSoftApMode(&cfg);
    else if (op == CONFIG_OP_PARAM)
        ret = dravo->SetSoftapParam(&cfg);
    else
        ret = dravo->SetSoftapParam2(&cfg);

    if (op == CONFIG_OP_MODE)
        WriteUiLog(L"{UISetSoftApMode} ret=%d\n", ret);
    else
        WriteUiLog(L"{UISetSoftapParam} ret=%d\n", ret);
    return ret;
}

// One connection entry of a sharing request: GUID, its text and a name.
void FillIcsEntry(const wchar_t* guidText, const wchar_t* name, DravoIcsEntry* entry) {
    GuidFromText(guidText, &entry->guid);
    WideToField(guidText, entry->guidText, DRAVO_GUID_TEXT_FIELD);
    WideToField(name, entry->name, DRAVO_NAME_FIELD);
}

}  // namespace

int WideToField(const wchar_t* text, char* field, int fieldSize) {
    if (!field || fieldSize <= 0) return 0;
    memset(field, 0, fieldSize);
    if (!text || !text[0]) return 0;
    size_t units = wcslen(text);
    if (units + 1 > (size_t)fieldSize) {
        WriteUiLog(L"{WideToField} text of %d units too long for a %d-byte field, sent empty\n", (int)units,
                   fieldSize);
        return 0;
    }
    // Double-byte characters can make the narrow form longer than the text:
    // measure first so that the field is either whole or empty.
    int needed = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        WriteUiLog(L"{WideToField} conversion failed, error %d, sent empty\n", (int)GetLastError());
        return 0;
    }
    if (needed > fieldSize) {
        WriteUiLog(L"{WideToField} narrow text of %d bytes too long for a %d-byte field, sent empty\n", needed,
                   fieldSize);
        return 0;
    }
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, field, fieldSize, nullptr, nullptr);
    if (written <= 0) {
        memset(field, 0, fieldSize);
        WriteUiLog(L"{WideToField} conversion failed, error %d, sent empty\n", (int)GetLastError());
        return 0;
    }
    return written - 1;
}

bool GuidFromText(const wchar_t* text, GUID* guid) {
    if (!guid) return false;
    memset(guid, 0, sizeof(*guid));
    if (!text || !text[0]) return false;
    size_t length = wcslen(text);
    const wchar_t* start = text;
    if (length == 38 && text[0] == L'{' && text[37] == L'}') {
        start = text + 1;
        length = 36;
    }
    char bare[37];
    bool ok = length == 36;
    for (size_t i = 0; ok && i < 36; i++) {
        if (start[i] > 0x7F) ok = false;
        bare[i] = (char)start[i];
    }
    bare[36] = '\0';
    UUID uuid;
    if (ok && UuidFromStringA((RPC_CSTR)bare, &uuid) == RPC_S_OK) {
        memcpy(guid, &uuid, sizeof(*guid));
        return true;
    }
    memset(guid, 0, sizeof(*guid));
    WriteUiLog(L"{GuidFromText} malformed GUID text \"%s\", zero GUID used\n", text);
    return false;
}

void GuidToText(const GUID& guid, wchar_t* text, int textCount) {
    if (!text || textCount <= 0) return;
    char narrow[48];
    snprintf(narrow, sizeof(narrow), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", (unsigned)guid.Data1,
             (unsigned)guid.Data2, (unsigned)guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
             guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, textCount) <= 0) text[0] = L'\0';
}

int FillControlNicList(const NicDeviceRecord* records, ControlNicList* list) {
    ControlNicList fresh;
    memset(&fresh, 0, sizeof(fresh));
    int present = 0;
    for (int i = 0; records && i < NIC_RECORD_MAX; i++) {
        if (!records[i].hardwareId[0]) continue;
        present++;
        if (fresh.count >= Q8_NIC_MAX) continue;
        ControlNicEntry& entry = fresh.entries[fresh.count];
        GuidToText(records[i].guid, entry.guid, Q8_GUID_TEXT_MAX);
        // The adapter's own connection name, so that the shared-connection choice
        // can leave the hotspot's own connection out.
        char name[sizeof records[i].connectionName + 1];
        memcpy(name, records[i].connectionName, sizeof records[i].connectionName);
        name[sizeof records[i].connectionName] = '\0';
        if (!MultiByteToWideChar(CP_ACP, 0, name, -1, entry.connName, Q8_NAME_MAX)) entry.connName[0] = L'\0';
        fresh.count++;
    }
    if (present > fresh.count)
        WriteUiLog(L"{UIGetControlNicList} %d adapters found, the first %d listed\n", present, fresh.count);
    if (list) {
        SHARED_RECORD_GUARD;
        *list = fresh;
    }
    WriteUiLog(L"{UIGetControlNicList} NUM=%d\n", fresh.count);
    return fresh.count;
}

int UIGetControlNicList(ControlNicList* list) {
    NicModel table[NIC_MODEL_MAX];
    NicDeviceRecord records[NIC_RECORD_MAX];
    BuildShippedModelTable(table);
    memset(records, 0, sizeof(records));
    EnumerateAdapters(table, records);
    FillControlNicList(records, list);
    return 0;
}

int UIInitAdapter(const wchar_t* adapterGuid) {
    WriteUiLog(L"{UIInitAdapter} guid=%s\n", adapterGuid ? adapterGuid : L"");
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    GUID guid;
    GuidFromText(adapterGuid, &guid);
    int ret = dravo->InitAdapter(guid, DravoEventCallback);
    WriteUiLog(L"{UIInitAdapter} ret=%d\n", ret);
    return ret;
}

int UISetSoftApMode(SoftApCfgInfo info) {
    return SendSoftApConfig(info, CONFIG_OP_MODE);
}

int UISetSoftapParam(SoftApCfgInfo info) {
    return SendSoftApConfig(info, CONFIG_OP_PARAM);
}

int UISetSoftapParam2(SoftApCfgInfo info) {
    return SendSoftApConfig(info, CONFIG_OP_PARAM2);
}

int UIStopSoftap() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int ret = dravo->StopSoftap();
    WriteUiLog(L"{UIStopSoftap} ret=%d\n", ret);
    return ret;
}

int UIQuerySoftApStatus(SoftApStatus* status) {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    DravoSoftApStatus answer;
    memset(&answer, 0, sizeof(answer));
    int ret = dravo->QuerySoftApStatus(&answer);
    WriteUiLog(L"{UIQuerySoftApStatus} ret=%d, active=%d\n", ret, answer.active);
    if (ret != 0 || !status) return ret;
    status->bActive = answer.active;
    FieldToWide(answer.ssid, sizeof(answer.ssid), status->ssid, Q8_NAME_MAX);
    status->staNum = CheckedStationCount(answer.staNum, L"UIQuerySoftApStatus");
    return ret;
}

int UIQuerySoftApStaList() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    DravoSoftApStatus answer;
    memset(&answer, 0, sizeof(answer));
    int ret = dravo->QuerySoftApStatus(&answer);
    WriteUiLog(L"{UIQuerySoftApStaList} ret=%d, num=%d\n", ret, answer.staNum);
    if (ret == 0) stationCount = CheckedStationCount(answer.staNum, L"UIQuerySoftApStaList");
    return ret;
}

int UIQueryIcsConnection(IcsConnectionList* list) {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    DravoIcsEntry entries[DRAVO_ICS_CAPACITY];
    memset(entries, 0, sizeof(entries));
    int32_t count = DRAVO_ICS_CAPACITY;
    int ret = dravo->QueryIcsConnection(entries, &count);
    WriteUiLog(L"{UIQueryIcsConnection} ret=%d, num=%d\n", ret, count);
    if (ret != 0 || !list) return ret;
    int n = count;
    if (n < 0 || n > DRAVO_ICS_CAPACITY) {
        n = n < 0 ? 0 : DRAVO_ICS_CAPACITY;
        WriteUiLog(L"{UIQueryIcsConnection} count %d outside 0..%d, using %d\n", count, DRAVO_ICS_CAPACITY, n);
    }
    memset(list, 0, sizeof(*list));
    list->count = n;
    for (int i = 0; i < n; i++) {
        IcsConnection& conn = list->entries[i];
        FieldToWide(entries[i].name, sizeof(entries[i].name), conn.networkName, Q8_NAME_MAX);
        FieldToWide(entries[i].guidText, sizeof(entries[i].guidText), conn.guid, Q8_GUID_TEXT_MAX);
        conn.mediaType = entries[i].mediaType;
        conn.connected = entries[i].status == 2 ? 1 : 0;
    }
    return ret;
}

int UISetIcsConnection(IcsConnection conn) {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    conn.networkName[Q8_NAME_MAX - 1] = L'\0';
    conn.guid[Q8_GUID_TEXT_MAX - 1] = L'\0';
    wchar_t ownGuid[Q8_GUID_TEXT_MAX];
    wchar_t ownName[Q8_NAME_MAX];
    {
        SHARED_RECORD_GUARD;
        wmemcpy(ownGuid, currentAdapter.guid, Q8_GUID_TEXT_MAX);
        wmemcpy(ownName, currentAdapter.connName, Q8_NAME_MAX);
    }
    ownGuid[Q8_GUID_TEXT_MAX - 1] = L'\0';
    ownName[Q8_NAME_MAX - 1] = L'\0';

    DravoIcsSetting setting;
    memset(&setting, 0, sizeof(setting));
    FillIcsEntry(conn.guid, conn.networkName, &setting.publicConn);
    FillIcsEntry(ownGuid, ownName, &setting.privateConn);
    setting.trailer = -1;

    WriteUiLog(L"{UISetIcsConnection} netname=%s\n", conn.networkName);
    int ret = dravo->SetIcsConnection(&setting);
    WriteUiLog(L"{UISetIcsConnection} ret=%d\n", ret);
    return ret;
}

int UIQueryIcsStatus(int* bEnableICS) {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int32_t value = 0;
    int ret = dravo->QueryIcsStatus(&value);
    WriteUiLog(L"{UIQueryIcsStatus} ret=%d, bEnableICS=%d\n", ret, value);
    if (ret == 0 && bEnableICS) *bEnableICS = value;
    return ret;
}

int UIQueryNicRadioStatus() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int32_t value = 0;
    int ret = dravo->QueryNicRadioStatus(&value);
    WriteUiLog(L"{UIQueryNicRadioStatus} ret=%d, radio=%d\n", ret, value);
    if (ret == 0) gRadioState = value;
    return ret;
}

int UISetNicRadioStatus() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int ret = dravo->SetNicRadioStatus(1);
    WriteUiLog(L"{UISetNicRadioStatus} ret=%d, radio=%d\n", ret, 1);
    return ret;
}

int UIDoUnplug() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int ret = dravo->DoUnplug();
    WriteUiLog(L"{UIDoUnplug} ret=%d \n", ret);
    return ret;
}

int UIQueryServiceStatus() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int32_t value = 0;
    int ret = dravo->QueryServiceStatus(&value);
    WriteUiLog(L"{UIQueryServiceStatus} ret=%d, bStatus=%d\n", ret, value);
    if (ret == 0) gServiceState = value;
    return ret;
}

int UIQueryCurControlTool() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int32_t value = 0;
    int ret = dravo->QueryCurControlTool(&value);
    WriteUiLog(L"{UIQueryCurControlTool} ret=%d, toolType=%d\n", ret, value);
    if (ret == 0) gControlTool = value;
    return ret;
}

int UISetControlTool() {
    IDravo* dravo = gDravo;
    if (!dravo) return DRAVO_STATUS_UNBOUND;
    int ret = dravo->SetControlTool(1);
    WriteUiLog(L"{UISetControlTool} ret=%d, toolType=%d\n", ret, 1);
    return ret;
}
