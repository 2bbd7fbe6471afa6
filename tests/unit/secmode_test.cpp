// Security-mode names: what each name reads as, what each code is written as,
// and that every written name reads back to its own code.
#include "adapter/secmode.h"

#include <gtest/gtest.h>

namespace {

struct NameRow {
    const wchar_t* name;
    int encrypt;
    int auth;
};

TEST(SecurityModes, NamesReadAsTheirCodes) {
    const NameRow rows[] = {
        {L"ENCRYPT_AES", 4, 1},
        {L"AES", 4, 1},
        {L"enCrypt_aes", 1, 1},  // other letter case: not a known name
        {L"aes", 1, 1},
        {L"Share", 2, 2},
        {L"WEP", 2, 3},
        {L"NONE", 1, 1},
        {L"TKIP/AES", 5, 1},
        {L"AUTH_WEP_OPEN", 1, 3},
        {L"AUTH_WEP_AUTOSWITCH", 1, 3},
        {L"auth_wep_autoswitch", 1, 3},
        {L"Auth_Wep_AutoSwitch", 1, 3},
        {L"auth_wep_auto", 1, 1},  // only the switch name ignores case
        {L"AUTH_WPA_PSK", 1, 8},
        {L"AUTH_WPA2_PSK", 1, 9},
        {L"WPA-PSK/WPA2-PSK", 1, 10},
        {L"WPA/WPA2", 1, 6},
        {L"Undefined_auth_type", 1, 1},
        {L"Undefined_encrypt_type", 1, 1},
        {L"", 1, 1},
        {L" AES", 1, 1},
        {nullptr, 1, 1},
    };
    for (const NameRow& r : rows) {
        const wchar_t* shown = r.name ? r.name : L"(null)";
        EXPECT_EQ(r.encrypt, EncryptFromName(r.name)) << shown;
        EXPECT_EQ(r.auth, AuthFromName(r.name)) << shown;
    }
}

TEST(SecurityModes, CodesAreWrittenAsTheirNames) {
    struct { int code; const wchar_t* name; } encrypts[] = {
        {1, L"ENCRYPT_NONE"}, {2, L"ENCRYPT_WEP"}, {3, L"ENCRYPT_TKIP"}, {4, L"ENCRYPT_AES"},
        {5, L"ENCRYPT_TKIP_AES_AUTO"}, {0, L"Undefined_encrypt_type"}, {6, L"Undefined_encrypt_type"},
    };
    for (auto& e : encrypts) EXPECT_STREQ(e.name, EncryptName(e.code)) << e.code;
    struct { int code; const wchar_t* name; } auths[] = {
        {1, L"AUTH_NONE"}, {2, L"AUTH_WEP_SHARE"}, {3, L"AUTH_WEP_AUTO"}, {4, L"AUTH_WPA"}, {5, L"AUTH_WPA2"},
        {6, L"AUTH_WPA_WPA2_AUTO"}, {7, L"Undefined_auth_type"}, {8, L"AUTH_WPAPSK"}, {9, L"AUTH_WPA2PSK"},
        {10, L"AUTH_WPAPSK_WPA2PSK_AUTO"}, {11, L"Undefined_auth_type"}, {-1, L"Undefined_auth_type"},
    };
    for (auto& a : auths) EXPECT_STREQ(a.name, AuthName(a.code)) << a.code;
}

TEST(SecurityModes, WrittenNamesReadBack) {
    for (int code = 1; code <= 5; code++) EXPECT_EQ(code, EncryptFromName(EncryptName(code))) << code;
    for (int code = 1; code <= 10; code++) {
        if (code == 7) continue;
        EXPECT_EQ(code, AuthFromName(AuthName(code))) << code;
    }
    EXPECT_EQ(AUTH_WEP_AUTO, AuthFromName(AuthName(AuthFromName(L"auth_wep_autoswitch"))));
    EXPECT_EQ(AUTH_NONE, AuthFromName(AuthName(7)));
    EXPECT_STREQ(L"AUTH_WPAPSK", AuthName(AuthFromName(L"AUTH_WPA_PSK")));
}

}  // namespace
