// Settings file on real files: first run, defaults, write-back rules, the
// fallback file, damaged files, and stored keys and texts surviving a save.
#include "app/settings.h"

#include "adapter/keyrules.h"
#include "adapter/secmode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

// The value of `key` in the text of an INI file, searched after "[section]".
// "<none>" when the key is not there.
std::string ValueIn(const std::string& text, const std::string& section, const std::string& key) {
    size_t start = text.find("[" + section + "]");
    if (start == std::string::npos) return "<none>";
    size_t end = text.find("\n[", start + 1);
    std::string body = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t at = body.find("\n" + key + "=");
    if (at == std::string::npos) return "<none>";
    at += key.size() + 2;
    size_t eol = body.find_first_of("\r\n", at);
    return body.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
}

std::wstring Encode(const std::wstring& plain) {
    wchar_t stored[Q8_TEXT_MAX];
    wcsncpy(stored, plain.c_str(), Q8_TEXT_MAX - 1);
    stored[Q8_TEXT_MAX - 1] = L'\0';
    EncodeStoredKey(stored, Q8_TEXT_MAX);
    return stored;
}

// A key of printable characters whose stored form begins with `first` and
// ends with `last`; found by trying, as the table decides it.
std::wstring KeyWithStoredEnds(wchar_t first, wchar_t last) {
    for (int len = 2; len <= 255; len++) {
        std::wstring k(len, L'a');
        for (wchar_t c0 = 0x20; c0 < 0x7F; c0++) {
            k[0] = c0;
            if (Encode(k)[0] != first) continue;
            for (wchar_t c1 = 0x1F; c1 < 0x7F; c1++) {
                k[len - 1] = c1;
                if (Encode(k).back() == last) return k;
            }
            break;
        }
    }
    return L"";
}

const wchar_t* const FALLBACK = L".\\Config.ini";

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        _snwprintf(gDataDir, MAX_PATH, L"%sq8_settings_%lu_%d", temp, GetCurrentProcessId(), ++serial);
        gDataDir[MAX_PATH - 1] = L'\0';
        CreateDirectoryW(gDataDir, nullptr);
        primary = std::wstring(gDataDir) + L"\\config.ini";
        DeleteFileW(primary.c_str());
        DeleteFileW(FALLBACK);
        gIniFile = {};
        gSoftApInfo = {};
        gResourceLanguage = 1033;
    }
    void TearDown() override {
        DeleteFileW(primary.c_str());
        DeleteFileW(FALLBACK);
        RemoveDirectoryW(gDataDir);
    }
    std::string Saved() { return ReadBytes(primary); }
    std::wstring primary;
};

}  // namespace

TEST_F(Settings, FirstRunReadsNothingAndTheFirstSaveWritesEveryKeyInOrder) {
    EXPECT_EQ(0, LoadIniFile());
    static const IniFile zero = {};
    EXPECT_EQ(0, memcmp(&zero, &gIniFile, sizeof zero));
    EXPECT_EQ(0, gIniFile.softAp);
    EXPECT_EQ(1033, gResourceLanguage);
    SaveIniFile();
    std::string text = Saved();
    const char* order[] = {"[GLOBAL]", "notAskAgain=0", "powerStatus=0", "isClosed=0", "softAp=0",
                           "langSwitch=0", "nicGuid=", "Model=", "nicDll=", "[SOFTAP]", "ssid=",
                           "hideSSIDtype=0", "encrypt=Undefined_encrypt_type", "auth=Undefined_auth_type",
                           "key=", "icsGuid=", "channel=0", "frequency=0"};
    size_t at = 0;
    for (const char* line : order) {
        size_t found = text.find(line, at);
        ASSERT_NE(std::string::npos, found) << line << " in order in\n" << text;
        at = found + strlen(line);
    }
    EXPECT_EQ(std::string::npos, text.find("handicon"));
    EXPECT_EQ(std::string::npos, text.find("langId"));
    EXPECT_EQ(std::string::npos, text.find("[ICON]"));
}

TEST_F(Settings, OnlySoftapSectionGivesTheDefaults) {
    WriteBytes(primary, "[SOFTAP]\r\nssid=Q8_8192A3\r\n");
    EXPECT_EQ(1, LoadIniFile());
    const IniFile& f = gIniFile;
    EXPECT_EQ(1, f.notAskAgain);
    EXPECT_EQ(0, f.isClosed);
    EXPECT_EQ(1, f.langSwitch);
    EXPECT_EQ(1033, f.langId);
    EXPECT_EQ(1, f.softAp);
    EXPECT_EQ(1, f.powerStatus);
    EXPECT_STREQ(L"imagstr.dll", f.Model);
    EXPECT_STREQ(L"", f.nicDll);
    EXPECT_STREQ(L"", f.nicGuid);
    EXPECT_STREQ(L"", f.handicon);
    EXPECT_STREQ(L"", f.icsGuid);
    EXPECT_STREQ(L"Q8_8192A3", f.softApCfgInfo.ssid);
    EXPECT_STREQ(L"Q8_8192A3", gSoftApInfo.ssid);
    EXPECT_STREQ(L"40718263", f.softApCfgInfo.key);
    EXPECT_EQ(ENCRYPT_NONE, f.softApCfgInfo.encrypt);
    EXPECT_EQ(AUTH_NONE, f.softApCfgInfo.auth);
    EXPECT_EQ(0, f.softApCfgInfo.hideSSIDtype);
    EXPECT_EQ(1, f.softApCfgInfo.channel);
    EXPECT_EQ(2412, f.softApCfgInfo.frequency);
    EXPECT_EQ(1033, gResourceLanguage);
}

TEST_F(Settings, ValuesAreReadAndWrittenBackByTheirRules) {
    WriteBytes(primary,
               "[ICON]\r\nhandicon=hand.ico\r\n"
               "[GLOBAL]\r\nnotAskAgain=7\r\nisClosed=-3\r\nlangSwitch=0\r\nlangId=67588\r\nModel=m.dll\r\n"
               "nicDll=n.dll\r\nsoftAp=0\r\nnicGuid={G}\r\npowerStatus=0\r\n"
               "[SOFTAP]\r\nssid=home\r\nhideSSIDtype=7\r\nencrypt=TKIP\r\nauth=auth_wep_autoswitch\r\n"
               "key=abc\r\nicsGuid={I}\r\nchannel=6\r\nfrequency=2437\r\n");
    EXPECT_EQ(1, LoadIniFile());
    EXPECT_EQ(7, gIniFile.notAskAgain);
    EXPECT_EQ(-3, gIniFile.isClosed);
    EXPECT_EQ(1, gIniFile.softAp);  // always 1 after reading
    EXPECT_EQ(67588, gIniFile.langId);
    EXPECT_EQ(0x0804, gResourceLanguage);
    EXPECT_STREQ(L"hand.ico", gIniFile.handicon);
    EXPECT_EQ(ENCRYPT_TKIP, gIniFile.softApCfgInfo.encrypt);
    EXPECT_EQ(AUTH_WEP_AUTO, gIniFile.softApCfgInfo.auth);
    EXPECT_EQ(7, gIniFile.softApCfgInfo.hideSSIDtype);
    SaveIniFile();
    std::string text = Saved();
    const char* expected[][3] = {
        {"GLOBAL", "notAskAgain", "1"}, {"GLOBAL", "isClosed", "1"},       {"GLOBAL", "langSwitch", "0"},
        {"GLOBAL", "softAp", "1"},      {"GLOBAL", "powerStatus", "0"},    {"GLOBAL", "Model", "m.dll"},
        {"GLOBAL", "nicDll", "n.dll"},  {"GLOBAL", "nicGuid", "{G}"},      {"GLOBAL", "langId", "67588"},
        {"ICON", "handicon", "hand.ico"}, {"SOFTAP", "hideSSIDtype", "7"}, {"SOFTAP", "encrypt", "ENCRYPT_TKIP"},
        {"SOFTAP", "auth", "AUTH_WEP_AUTO"}, {"SOFTAP", "key", "abc"},     {"SOFTAP", "icsGuid", "{I}"},
        {"SOFTAP", "channel", "6"},     {"SOFTAP", "frequency", "2437"},   {"SOFTAP", "ssid", "home"},
    };
    for (auto& e : expected) EXPECT_EQ(e[2], ValueIn(text, e[0], e[1])) << e[0] << "/" << e[1] << "\n" << text;

    // Codes without a name are written as the "undefined" names, which read back as 1.
    gIniFile.softApCfgInfo.encrypt = 9;
    gIniFile.softApCfgInfo.auth = 7;
    SaveIniFile();
    text = Saved();
    EXPECT_EQ("Undefined_encrypt_type", ValueIn(text, "SOFTAP", "encrypt"));
    EXPECT_EQ("Undefined_auth_type", ValueIn(text, "SOFTAP", "auth"));
    EXPECT_EQ(1, LoadIniFile());
    EXPECT_EQ(1, gIniFile.softApCfgInfo.encrypt);
    EXPECT_EQ(1, gIniFile.softApCfgInfo.auth);
}

TEST_F(Settings, FallbackFileIsReadButNeverWritten) {
    const std::string fallback = "[GLOBAL]\r\nnotAskAgain=0\r\n[SOFTAP]\r\nssid=fromFallback\r\nchannel=11\r\n";
    WriteBytes(FALLBACK, fallback);
    EXPECT_EQ(1, LoadIniFile());
    EXPECT_STREQ(L"fromFallback", gIniFile.softApCfgInfo.ssid);
    EXPECT_EQ(0, gIniFile.notAskAgain);
    EXPECT_EQ(11, gIniFile.softApCfgInfo.channel);
    wcscpy(gIniFile.softApCfgInfo.ssid, L"changed");
    SaveIniFile();
    EXPECT_EQ(fallback, ReadBytes(FALLBACK));
    EXPECT_EQ("changed", ValueIn(Saved(), "SOFTAP", "ssid"));
    EXPECT_EQ("11", ValueIn(Saved(), "SOFTAP", "channel"));
    // From now on the primary file wins.
    gIniFile = {};
    EXPECT_EQ(1, LoadIniFile());
    EXPECT_STREQ(L"changed", gIniFile.softApCfgInfo.ssid);
    EXPECT_EQ(fallback, ReadBytes(FALLBACK));
}

TEST_F(Settings, LongValuesAreCutAndOtherEntriesSurviveASave) {
    std::string file = "[OTHER]\r\nkeep=this\r\n[GLOBAL]\r\nextra=also\r\nModel=" + std::string(5000, 'M') +
                       "\r\n[SOFTAP]\r\nssid=" + std::string(600, 'S') + "\r\nkey=" + std::string(3000, '%') +
                       "\r\nchannel=3\r\n";
    WriteBytes(primary, file);
    EXPECT_EQ(1, LoadIniFile());
    EXPECT_EQ(std::wstring(511, L'M'), gIniFile.Model);
    EXPECT_EQ(std::wstring(511, L'S'), gIniFile.softApCfgInfo.ssid);
    EXPECT_EQ(std::wstring(511, L'%'), gIniFile.softApCfgInfo.key);
    EXPECT_EQ(3, gIniFile.softApCfgInfo.channel);
    SaveIniFile();
    std::string text = Saved();
    EXPECT_EQ("this", ValueIn(text, "OTHER", "keep"));
    EXPECT_EQ("also", ValueIn(text, "GLOBAL", "extra"));
    EXPECT_EQ(std::string(511, 'M'), ValueIn(text, "GLOBAL", "Model"));
    EXPECT_EQ("3", ValueIn(text, "SOFTAP", "channel"));
    // A stored key that is no valid stored form still decodes inside its buffer.
    SoftApCfgInfo cfg = gIniFile.softApCfgInfo;
    DecodeStoredKey(cfg.key, Q8_TEXT_MAX);
    EXPECT_LT(wcsnlen(cfg.key, Q8_TEXT_MAX), (size_t)Q8_TEXT_MAX);
}

TEST_F(Settings, BinaryGarbageReadsAsDefaultsAndTheNextSaveReadsBack) {
    std::mt19937 rng(99);
    std::string garbage(8192, '\0');
    for (char& c : garbage) c = (char)(rng() & 0xFF);
    for (const std::string& prefix : {std::string(), std::string("\xFF\xFE", 2), std::string("\xEF\xBB\xBF")}) {
        WriteBytes(primary, prefix + garbage);
        gIniFile = {};
        EXPECT_EQ(1, LoadIniFile());
        EXPECT_EQ(1, gIniFile.softAp);
        EXPECT_LT(wcsnlen(gIniFile.softApCfgInfo.key, Q8_TEXT_MAX), (size_t)Q8_TEXT_MAX);
        wcscpy(gIniFile.softApCfgInfo.ssid, L"after garbage");
        gIniFile.softApCfgInfo.channel = 9;
        SaveIniFile();
        gIniFile = {};
        EXPECT_EQ(1, LoadIniFile());
        EXPECT_STREQ(L"after garbage", gIniFile.softApCfgInfo.ssid) << "prefix bytes " << prefix.size();
        EXPECT_EQ(9, gIniFile.softApCfgInfo.channel);
    }
}

// The profile reader drops white space around a value and a pair of quotes
// around it: such texts must still read back as they were written.
TEST_F(Settings, TextsWithEdgeSpacesAndQuotesReadBackUnchanged) {
    const wchar_t* texts[] = {L" lead", L"trail ", L" both ", L"\"q\"", L"'s'", L"\"", L"\"open", L"a\"b\"",
                              L"x = y ; z", L"[not a section]", L"\x1f" L"unit\x1f", L"\x7f" L"del"};
    for (const wchar_t* t : texts) {
        gIniFile = {};
        wcscpy(gIniFile.softApCfgInfo.ssid, t);
        wcscpy(gIniFile.nicDll, t);
        SaveIniFile();
        gIniFile = {};
        ASSERT_EQ(1, LoadIniFile());
        EXPECT_STREQ(t, gIniFile.softApCfgInfo.ssid) << "file:\n" << Saved();
        EXPECT_STREQ(t, gIniFile.nicDll);
    }
}

// Stored keys go through the file and decode to the plain key again: ordinary
// keys, keys with every escape, and keys whose stored form begins and ends
// with characters the profile reader would otherwise drop.
TEST_F(Settings, StoredKeysSurviveTheFile) {
    std::vector<std::wstring> keys = {L"abcd1234", L"ZZZZzzzz9999", L" spaced % key ] ", L"\x01\x1e\x1f\x7f",
                                      L"\u5bc6\u7801\u6d4b\u8bd5", L"\"", L"'"};
    for (const std::wstring& k : {KeyWithStoredEnds(L'"', L'"'), KeyWithStoredEnds(L'\'', L'\'')}) {
        EXPECT_FALSE(k.empty()) << "no key found for one of the stored-form ends";
        keys.push_back(k);
    }
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> anyChar(0x01, 0x7F), length(1, 14);
    for (int i = 0; i < 100; i++) {
        std::wstring k(length(rng), L' ');
        for (wchar_t& c : k) c = (wchar_t)anyChar(rng);
        keys.push_back(k);
    }
    for (const std::wstring& k : keys) {
        std::wstring stored = Encode(k);
        gIniFile = {};
        wcscpy(gIniFile.softApCfgInfo.key, stored.c_str());
        SaveIniFile();
        gIniFile = {};
        ASSERT_EQ(1, LoadIniFile());
        ASSERT_EQ(stored, gIniFile.softApCfgInfo.key) << "file:\n" << Saved();
        DecodeStoredKey(gIniFile.softApCfgInfo.key, Q8_TEXT_MAX);
        ASSERT_EQ(k, gIniFile.softApCfgInfo.key);
    }
}

TEST_F(Settings, ADirectoryNamedLikeTheFileIsNotRead) {
    CreateDirectoryW(primary.c_str(), nullptr);
    EXPECT_EQ(0, LoadIniFile());
    RemoveDirectoryW(primary.c_str());
}
