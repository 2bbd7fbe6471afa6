// Security-mode codes and their names in the settings file: the names each
// code is written as, and every name (old spellings included) read back.
#include "adapter/secmode.h"

#include <cwchar>

namespace {

struct SecName {
    const wchar_t* name;
    int code;
};

// Names accepted when reading; anything else, the empty text included, is 1.
const SecName kEncryptNames[] = {
    {L"ENCRYPT_NONE", ENCRYPT_NONE},
    {L"NONE", ENCRYPT_NONE},
    {L"ENCRYPT_WEP", ENCRYPT_WEP},
    {L"WEP", ENCRYPT_WEP},
    {L"Share", ENCRYPT_WEP},
    {L"ENCRYPT_TKIP", ENCRYPT_TKIP},
    {L"TKIP", ENCRYPT_TKIP},
    {L"ENCRYPT_AES", ENCRYPT_AES},
    {L"AES", ENCRYPT_AES},
    {L"ENCRYPT_TKIP_AES_AUTO", ENCRYPT_TKIP_AES_AUTO},
    {L"TKIP/AES", ENCRYPT_TKIP_AES_AUTO},
};

const SecName kAuthNames[] = {
    {L"AUTH_NONE", AUTH_NONE},
    {L"NONE", AUTH_NONE},
    {L"AUTH_WEP_SHARE", AUTH_WEP_SHARE},
    {L"Share", AUTH_WEP_SHARE},
    {L"AUTH_WEP_OPEN", AUTH_WEP_AUTO},
    {L"AUTH_WEP_AUTO", AUTH_WEP_AUTO},
    {L"WEP", AUTH_WEP_AUTO},
    {L"AUTH_WPA", AUTH_WPA},
    {L"WPA", AUTH_WPA},
    {L"AUTH_WPA2", AUTH_WPA2},
    {L"WPA2", AUTH_WPA2},
    {L"AUTH_WPA_WPA2_AUTO", AUTH_WPA_WPA2_AUTO},
    {L"WPA/WPA2", AUTH_WPA_WPA2_AUTO},
    {L"AUTH_WPAPSK", AUTH_WPAPSK},
    {L"AUTH_WPA_PSK", AUTH_WPAPSK},
    {L"AUTH_WPA2PSK", AUTH_WPA2PSK},
    {L"AUTH_WPA2_PSK", AUTH_WPA2PSK},
    {L"AUTH_WPAPSK_WPA2PSK_AUTO", AUTH_WPAPSK_WPA2PSK_AUTO},
    {L"WPA-PSK/WPA2-PSK", AUTH_WPAPSK_WPA2PSK_AUTO},
};

// Written names, one per code.
const SecName kEncryptWritten[] = {
    {L"ENCRYPT_NONE", ENCRYPT_NONE},
    {L"ENCRYPT_WEP", ENCRYPT_WEP},
    {L"ENCRYPT_TKIP", ENCRYPT_TKIP},
    {L"ENCRYPT_AES", ENCRYPT_AES},
    {L"ENCRYPT_TKIP_AES_AUTO", ENCRYPT_TKIP_AES_AUTO},
};

const SecName kAuthWritten[] = {
    {L"AUTH_NONE", AUTH_NONE},
    {L"AUTH_WEP_SHARE", AUTH_WEP_SHARE},
    {L"AUTH_WEP_AUTO", AUTH_WEP_AUTO},
    {L"AUTH_WPA", AUTH_WPA},
    {L"AUTH_WPA2", AUTH_WPA2},
    {L"AUTH_WPA_WPA2_AUTO", AUTH_WPA_WPA2_AUTO},
    {L"AUTH_WPAPSK", AUTH_WPAPSK},
    {L"AUTH_WPA2PSK", AUTH_WPA2PSK},
    {L"AUTH_WPAPSK_WPA2PSK_AUTO", AUTH_WPAPSK_WPA2PSK_AUTO},
};

template <size_t N> int CodeFromName(const SecName (&table)[N], const wchar_t* name, int fallback) {
    if (!name) return fallback;
    for (const SecName& row : table) {
        if (wcscmp(row.name, name) == 0) return row.code;
    }
    return fallback;
}

template <size_t N> const wchar_t* NameFromCode(const SecName (&table)[N], int code, const wchar_t* fallback) {
    for (const SecName& row : table) {
        if (row.code == code) return row.name;
    }
    return fallback;
}

}  // namespace

int EncryptFromName(const wchar_t* name) {
    return CodeFromName(kEncryptNames, name, ENCRYPT_NONE);
}

int AuthFromName(const wchar_t* name) {
    // The one name accepted in any letter case; all others must match exactly.
    if (name && _wcsicmp(name, L"AUTH_WEP_AUTOSWITCH") == 0) return AUTH_WEP_AUTO;
    return CodeFromName(kAuthNames, name, AUTH_NONE);
}

const wchar_t* EncryptName(int code) {
    return NameFromCode(kEncryptWritten, code, L"Undefined_encrypt_type");
}

const wchar_t* AuthName(int code) {
    return NameFromCode(kAuthWritten, code, L"Undefined_auth_type");
}
