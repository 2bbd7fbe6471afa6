// Encryption and authentication codes of the hotspot and their names.
#pragma once

enum EncryptCode {
    ENCRYPT_NONE = 1,
    ENCRYPT_WEP = 2,
    ENCRYPT_TKIP = 3,
    ENCRYPT_AES = 4,
    ENCRYPT_TKIP_AES_AUTO = 5,
};

enum AuthCode {
    AUTH_NONE = 1,
    AUTH_WEP_SHARE = 2,
    AUTH_WEP_AUTO = 3,
    AUTH_WPA = 4,
    AUTH_WPA2 = 5,
    AUTH_WPA_WPA2_AUTO = 6,
    AUTH_WPAPSK = 8,
    AUTH_WPA2PSK = 9,
    AUTH_WPAPSK_WPA2PSK_AUTO = 10,
};

int EncryptFromName(const wchar_t* name);
int AuthFromName(const wchar_t* name);
const wchar_t* EncryptName(int code);
const wchar_t* AuthName(int code);
