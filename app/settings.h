// Settings file config.ini: the GLOBAL, SOFTAP and ICON values.
#pragma once
#include "adapter/types.h"

struct IniFile {
    wchar_t handicon[Q8_TEXT_MAX];
    int notAskAgain;
    int isClosed;
    int langSwitch;
    int langId;
    wchar_t Model[Q8_TEXT_MAX];
    wchar_t nicDll[Q8_TEXT_MAX];
    int softAp;
    wchar_t nicGuid[Q8_TEXT_MAX];
    int powerStatus;
    wchar_t icsGuid[Q8_TEXT_MAX];
    SoftApCfgInfo softApCfgInfo;  // key in stored form
};

extern IniFile gIniFile;
extern SoftApCfgInfo gSoftApInfo;   // in use; key in plain form
extern unsigned short gResourceLanguage;  // low 16 bits of langId; 1033 until read
extern wchar_t gDataDir[MAX_PATH];  // "<application data>\Vorn", set by the main window

// 1 when a file was read, 0 when neither config.ini nor .\Config.ini exists.
int LoadIniFile();
// Writes GLOBAL then SOFTAP to "<gDataDir>\config.ini".
void SaveIniFile();
