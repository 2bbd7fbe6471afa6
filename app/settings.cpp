// Settings file: config.ini in the data folder (".\Config.ini" as a read-only
// fallback), read once into gIniFile with defaults for missing keys and
// written back in a fixed order through the profile functions.
#include "app/settings.h"

#include "adapter/secmode.h"
#include "app/log.h"
#include "app/shared_lock.h"

#include <cwchar>
#include <cwctype>

IniFile gIniFile = {};
SoftApCfgInfo gSoftApInfo = {};
unsigned short gResourceLanguage = 1033;
wchar_t gDataDir[MAX_PATH] = L"";

namespace {

const wchar_t* const SETTINGS_FALLBACK_FILE = L".\\Config.ini";
const int SETTINGS_PATH_MAX = MAX_PATH + 16;

void BuildPrimaryPath(wchar_t* path) {
    _snwprintf(path, SETTINGS_PATH_MAX, L"%s\\config.ini", gDataDir);
    path[SETTINGS_PATH_MAX - 1] = L'\0';
}

bool IsPlainFile(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WriteUiLog(L"{LoadIniFile} not a file: %s\n", path);
        return false;
    }
    return true;
}

void ReadText(const wchar_t* section, const wchar_t* key, const wchar_t* fallback, wchar_t* out,
              const wchar_t* path) {
    DWORD n = GetPrivateProfileStringW(section, key, fallback, out, Q8_TEXT_MAX, path);
    out[Q8_TEXT_MAX - 1] = L'\0';
    if (n >= Q8_TEXT_MAX - 1) WriteUiLog(L"{LoadIniFile} %s/%s cut to %d characters\n", section, key, Q8_TEXT_MAX - 1);
}

int ReadInt(const wchar_t* section, const wchar_t* key, int fallback, const wchar_t* path) {
    return (int)GetPrivateProfileIntW(section, key, fallback, path);
}

// The profile reader drops white space around a value and one pair of equal
// quotes enclosing it; such a value is written inside quotes so that it reads
// back as it was. A line break would start a new line in the file, so the
// value ends before it.
bool IsProfileSpace(wchar_t c) { return iswspace(c) || c == 0x1A; }

void WriteText(const wchar_t* section, const wchar_t* key, const wchar_t* text, const wchar_t* path,
               int* failures) {
    wchar_t value[Q8_TEXT_MAX + 3];
    size_t length = 0;
    while (length < Q8_TEXT_MAX - 1 && text[length] && text[length] != L'\r' && text[length] != L'\n') length++;
    if (text[length] == L'\r' || text[length] == L'\n')
        WriteUiLog(L"{SaveIniFile} %s/%s ends at a line break\n", section, key);
    bool bQuote = false;
    if (length > 0) {
        wchar_t first = text[0], last = text[length - 1];
        bQuote = IsProfileSpace(first) || IsProfileSpace(last) ||
                 (length > 1 && (first == L'"' || first == L'\'') && last == first);
    }
    size_t n = 0;
    if (bQuote) value[n++] = L'"';
    wmemcpy(value + n, text, length);
    n += length;
    if (bQuote) value[n++] = L'"';
    value[n] = L'\0';
    if (!WritePrivateProfileStringW(section, key, value, path)) (*failures)++;
}

void WriteInt(const wchar_t* section, const wchar_t* key, int value, const wchar_t* path, int* failures) {
    wchar_t text[16];
    _snwprintf(text, 16, L"%d", value);
    text[15] = L'\0';
    if (!WritePrivateProfileStringW(section, key, text, path)) (*failures)++;
}

void Terminate(wchar_t* text) { text[Q8_TEXT_MAX - 1] = L'\0'; }

}  // namespace

int LoadIniFile() {
    wchar_t primary[SETTINGS_PATH_MAX];
    BuildPrimaryPath(primary);
    const wchar_t* path = primary;
    if (!IsPlainFile(primary)) {
        path = SETTINGS_FALLBACK_FILE;
        if (!IsPlainFile(path)) return 0;
    }

    IniFile ini = {};
    wchar_t name[Q8_TEXT_MAX];
    ReadText(L"ICON", L"handicon", L"", ini.handicon, path);

    ini.notAskAgain = ReadInt(L"GLOBAL", L"notAskAgain", 1, path);
    ini.isClosed = ReadInt(L"GLOBAL", L"isClosed", 0, path);
    ini.langSwitch = ReadInt(L"GLOBAL", L"langSwitch", 1, path);
    ini.langId = ReadInt(L"GLOBAL", L"langId", 1033, path);
    ReadText(L"GLOBAL", L"Model", L"imagstr.dll", ini.Model, path);
    ReadText(L"GLOBAL", L"nicDll", L"", ini.nicDll, path);
    ini.softAp = ReadInt(L"GLOBAL", L"softAp", 0, path);
    ReadText(L"GLOBAL", L"nicGuid", L"", ini.nicGuid, path);
    ini.powerStatus = ReadInt(L"GLOBAL", L"powerStatus", 1, path);
    // The hotspot is brought up on every start, whatever the last run left.
    ini.softAp = 1;

    SoftApCfgInfo& cfg = ini.softApCfgInfo;
    ReadText(L"SOFTAP", L"ssid", L"", cfg.ssid, path);
    ReadText(L"SOFTAP", L"encrypt", L"", name, path);
    cfg.encrypt = EncryptFromName(name);
    ReadText(L"SOFTAP", L"auth", L"", name, path);
    cfg.auth = AuthFromName(name);
    ReadText(L"SOFTAP", L"key", L"40718263", cfg.key, path);
    ReadText(L"SOFTAP", L"icsGuid", L"", ini.icsGuid, path);
    cfg.hideSSIDtype = ReadInt(L"SOFTAP", L"hideSSIDtype", 0, path);
    cfg.channel = ReadInt(L"SOFTAP", L"channel", 1, path);
    cfg.frequency = ReadInt(L"SOFTAP", L"frequency", 2412, path);

    gResourceLanguage = (unsigned short)(ini.langId & 0xFFFF);
    {
        SHARED_RECORD_GUARD;
        gIniFile = ini;
        wmemcpy(gSoftApInfo.ssid, cfg.ssid, Q8_TEXT_MAX);
    }
    return 1;
}

void SaveIniFile() {
    IniFile ini;
    CopyShared(&ini, gIniFile);
    Terminate(ini.nicGuid);
    Terminate(ini.Model);
    Terminate(ini.nicDll);
    Terminate(ini.icsGuid);
    Terminate(ini.softApCfgInfo.ssid);
    Terminate(ini.softApCfgInfo.key);

    wchar_t path[SETTINGS_PATH_MAX];
    BuildPrimaryPath(path);
    int failures = 0;
    WriteInt(L"GLOBAL", L"notAskAgain", ini.notAskAgain != 0, path, &failures);
    WriteInt(L"GLOBAL", L"powerStatus", ini.powerStatus != 0, path, &failures);
    WriteInt(L"GLOBAL", L"isClosed", ini.isClosed != 0, path, &failures);
    WriteInt(L"GLOBAL", L"softAp", ini.softAp != 0, path, &failures);
    WriteInt(L"GLOBAL", L"langSwitch", ini.langSwitch != 0, path, &failures);
    WriteText(L"GLOBAL", L"nicGuid", ini.nicGuid, path, &failures);
    WriteText(L"GLOBAL", L"Model", ini.Model, path, &failures);
    WriteText(L"GLOBAL", L"nicDll", ini.nicDll, path, &failures);

    const SoftApCfgInfo& cfg = ini.softApCfgInfo;
    const wchar_t* encrypt = EncryptName(cfg.encrypt);
    const wchar_t* auth = AuthName(cfg.auth);
    WriteText(L"SOFTAP", L"ssid", cfg.ssid, path, &failures);
    WriteInt(L"SOFTAP", L"hideSSIDtype", cfg.hideSSIDtype, path, &failures);
    WriteText(L"SOFTAP", L"encrypt", encrypt ? encrypt : L"Undefined_encrypt_type", path, &failures);
    WriteText(L"SOFTAP", L"auth", auth ? auth : L"Undefined_auth_type", path, &failures);
    WriteText(L"SOFTAP", L"key", cfg.key, path, &failures);
    WriteText(L"SOFTAP", L"icsGuid", ini.icsGuid, path, &failures);
    WriteInt(L"SOFTAP", L"channel", cfg.channel, path, &failures);
    WriteInt(L"SOFTAP", L"frequency", cfg.frequency, path, &failures);
    if (failures) WriteUiLog(L"{SaveIniFile} %d values not written err=%d path=%s\n", failures, (int)GetLastError(), path);
}
