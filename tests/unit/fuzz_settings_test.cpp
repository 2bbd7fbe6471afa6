// Hostile config.ini files: random bytes, files in every text encoding the
// profile functions know, lines of 100 000 characters, keys missing or
// duplicated and sections in any order. Every value read is either one the
// file holds or the default, every text ends inside its buffer, and a save
// followed by a new read gives back every value that was read.
#include "app/settings.h"

#include "adapter/secmode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    DeleteFileW(path.c_str());
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

enum KeyKind { KIND_TEXT, KIND_INT, KIND_ENCRYPT, KIND_AUTH };

struct KeyDef {
    const char* section;
    const char* key;
    KeyKind kind;
    const char* textDefault;
    int intDefault;
};

const KeyDef kKeys[] = {
    {"ICON", "handicon", KIND_TEXT, "", 0},
    {"GLOBAL", "notAskAgain", KIND_INT, nullptr, 1},
    {"GLOBAL", "isClosed", KIND_INT, nullptr, 0},
    {"GLOBAL", "langSwitch", KIND_INT, nullptr, 1},
    {"GLOBAL", "langId", KIND_INT, nullptr, 1033},
    {"GLOBAL", "Model", KIND_TEXT, "imagstr.dll", 0},
    {"GLOBAL", "nicDll", KIND_TEXT, "", 0},
    {"GLOBAL", "softAp", KIND_INT, nullptr, 0},
    {"GLOBAL", "nicGuid", KIND_TEXT, "", 0},
    {"GLOBAL", "powerStatus", KIND_INT, nullptr, 1},
    {"SOFTAP", "ssid", KIND_TEXT, "", 0},
    {"SOFTAP", "encrypt", KIND_ENCRYPT, "", 0},
    {"SOFTAP", "auth", KIND_AUTH, "", 0},
    {"SOFTAP", "key", KIND_TEXT, "40718263", 0},
    {"SOFTAP", "icsGuid", KIND_TEXT, "", 0},
    {"SOFTAP", "hideSSIDtype", KIND_INT, nullptr, 0},
    {"SOFTAP", "channel", KIND_INT, nullptr, 1},
    {"SOFTAP", "frequency", KIND_INT, nullptr, 2412},
};
const int kKeyCount = sizeof kKeys / sizeof kKeys[0];

const char* const kEncryptNames[] = {"NONE", "WEP", "TKIP", "AES", "ENCRYPT_AES", "ENCRYPT_TKIP", "bogus"};
const char* const kAuthNames[] = {"AUTH_WPA2PSK", "auth_wep_autoswitch", "AUTH_NONE", "WPA2PSK", "nothing"};

// The member of `f` for key `k`, as text.
std::wstring TextMember(const IniFile& f, int k) {
    const char* key = kKeys[k].key;
    if (!strcmp(key, "handicon")) return f.handicon;
    if (!strcmp(key, "Model")) return f.Model;
    if (!strcmp(key, "nicDll")) return f.nicDll;
    if (!strcmp(key, "nicGuid")) return f.nicGuid;
    if (!strcmp(key, "ssid")) return f.softApCfgInfo.ssid;
    if (!strcmp(key, "key")) return f.softApCfgInfo.key;
    if (!strcmp(key, "icsGuid")) return f.icsGuid;
    return L"<no text member>";
}

int IntMember(const IniFile& f, int k) {
    const char* key = kKeys[k].key;
    if (!strcmp(key, "notAskAgain")) return f.notAskAgain;
    if (!strcmp(key, "isClosed")) return f.isClosed;
    if (!strcmp(key, "langSwitch")) return f.langSwitch;
    if (!strcmp(key, "langId")) return f.langId;
    if (!strcmp(key, "softAp")) return f.softAp;
    if (!strcmp(key, "powerStatus")) return f.powerStatus;
    if (!strcmp(key, "hideSSIDtype")) return f.softApCfgInfo.hideSSIDtype;
    if (!strcmp(key, "channel")) return f.softApCfgInfo.channel;
    if (!strcmp(key, "frequency")) return f.softApCfgInfo.frequency;
    if (!strcmp(key, "encrypt")) return f.softApCfgInfo.encrypt;
    if (!strcmp(key, "auth")) return f.softApCfgInfo.auth;
    return -12345;
}

bool Written(int k) { return strcmp(kKeys[k].key, "handicon") && strcmp(kKeys[k].key, "langId"); }
bool WrittenAsFlag(int k) {
    static const char* flags[] = {"notAskAgain", "isClosed", "langSwitch", "softAp", "powerStatus"};
    for (const char* f : flags)
        if (!strcmp(kKeys[k].key, f)) return true;
    return false;
}

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A text value that the profile functions keep as it is: printable ASCII, no
// white space or quotes at its ends.
std::string RandomTextValue(std::mt19937& rng) {
    static const char chars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789{}-_.%=;[]# \"'";
    int length = (int)(rng() % 40);
    std::string s;
    for (int i = 0; i < length; i++) s += chars[rng() % (sizeof chars - 1)];
    while (!s.empty() && (s.back() == ' ' || s.back() == '"' || s.back() == '\'')) s.pop_back();
    while (!s.empty() && (s[0] == ' ' || s[0] == '"' || s[0] == '\'' || s[0] == '[' || s[0] == ';' ||
                          s[0] == '#' || s[0] == '='))
        s.erase(0, 1);
    return s;
}

int RandomInt(std::mt19937& rng) {
    switch (rng() % 5) {
    case 0: return (int)(rng() % 3);
    case 1: return -(int)(rng() % 100000);
    case 2: return (int)rng();
    case 3: return (rng() & 1) ? INT_MAX : INT_MIN + 1;
    default: return (int)(rng() % 5000);
    }
}

// One generated file: its text (ASCII) and, per key, every value it holds.
struct GeneratedFile {
    std::string text;
    std::map<int, std::vector<std::string>> values;
    bool longLine = false;
};

GeneratedFile Generate(std::mt19937& rng) {
    GeneratedFile g;
    const char* sections[] = {"ICON", "GLOBAL", "SOFTAP", "OTHER"};
    std::vector<int> order = {0, 1, 2, 3};
    std::shuffle(order.begin(), order.end(), rng);
    bool bLong = rng() % 20 == 0;
    g.longLine = bLong;
    const char* eol = (rng() & 1) ? "\r\n" : "\n";
    for (int s : order) {
        int copies = rng() % 6 == 0 ? 2 : 1;  // a section that appears twice
        for (int c = 0; c < copies; c++) {
            g.text += std::string("[") + sections[s] + "]" + eol;
            std::vector<int> keys;
            for (int k = 0; k < kKeyCount; k++)
                if (!strcmp(kKeys[k].section, sections[s])) keys.push_back(k);
            std::shuffle(keys.begin(), keys.end(), rng);
            for (int k : keys) {
                int times = (int)(rng() % 7);  // 0: missing, 1: once (most), 2: twice
                times = times == 0 ? 0 : (times == 6 ? 2 : 1);
                for (int t = 0; t < times; t++) {
                    std::string v;
                    switch (kKeys[k].kind) {
                    case KIND_TEXT:
                        v = bLong && rng() % 4 == 0 ? std::string(100000, (char)('a' + rng() % 26)) : RandomTextValue(rng);
                        break;
                    case KIND_INT: v = std::to_string(RandomInt(rng)); break;
                    case KIND_ENCRYPT: v = kEncryptNames[rng() % (sizeof kEncryptNames / sizeof *kEncryptNames)]; break;
                    case KIND_AUTH: v = kAuthNames[rng() % (sizeof kAuthNames / sizeof *kAuthNames)]; break;
                    }
                    // A key is looked up in the first section of its name
                    // only; what a second copy holds is never read.
                    if (c == 0) g.values[k].push_back(v);
                    g.text += std::string(kKeys[k].key) + "=" + v + eol;
                }
            }
            if (bLong && rng() % 2) g.text += "filler=" + std::string(100000, 'f') + eol;
            if (rng() % 4 == 0) g.text += std::string("; comment") + eol;
        }
    }
    return g;
}

// The same text in one of the encodings the profile functions read.
std::string Encode(const std::string& ascii, int encoding) {
    std::string out;
    switch (encoding) {
    case 1: out = "\xEF\xBB\xBF" + ascii; break;  // UTF-8 with a byte-order mark
    case 2:                                       // UTF-16 LE with a byte-order mark
        out = "\xFF\xFE";
        for (char c : ascii) { out += c; out += '\0'; }
        break;
    case 3:  // UTF-16 LE without a byte-order mark
        for (char c : ascii) { out += c; out += '\0'; }
        break;
    case 4:  // UTF-16 BE with a byte-order mark
        out = "\xFE\xFF";
        for (char c : ascii) { out += '\0'; out += c; }
        break;
    default: out = ascii;
    }
    return out;
}

int ExpectedCode(KeyKind kind, const std::string& name) {
    return kind == KIND_ENCRYPT ? EncryptFromName(Widen(name).c_str()) : AuthFromName(Widen(name).c_str());
}

void ExpectTerminated(const IniFile& f) {
    const wchar_t* texts[] = {f.handicon, f.Model, f.nicDll, f.nicGuid, f.icsGuid, f.softApCfgInfo.ssid,
                              f.softApCfgInfo.key};
    for (const wchar_t* t : texts) ASSERT_LT(wcsnlen(t, Q8_TEXT_MAX), (size_t)Q8_TEXT_MAX);
}

bool KnownEncrypt(int c) { return c >= ENCRYPT_NONE && c <= ENCRYPT_TKIP_AES_AUTO; }
bool KnownAuth(int c) { return (c >= AUTH_NONE && c <= AUTH_WPA_WPA2_AUTO) || (c >= AUTH_WPAPSK && c <= AUTH_WPAPSK_WPA2PSK_AUTO); }

// Every value that SaveIniFile writes must come back on the next read.
void ExpectSavedValuesReadBack(const IniFile& before, const IniFile& after, const std::string& what) {
    for (int k = 0; k < kKeyCount; k++) {
        SCOPED_TRACE(std::string(kKeys[k].key) + " " + what);
        if (kKeys[k].kind == KIND_TEXT) {
            ASSERT_EQ(TextMember(before, k), TextMember(after, k));
        } else if (WrittenAsFlag(k)) {
            ASSERT_EQ(IntMember(before, k) != 0, IntMember(after, k) != 0);
        } else if (Written(k) || !strcmp(kKeys[k].key, "langId")) {
            ASSERT_EQ(IntMember(before, k), IntMember(after, k));  // langId: left in the file as it was
        }
    }
}

class SettingsFuzz : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        _snwprintf(gDataDir, MAX_PATH, L"%sq8_fuzz_settings_%lu", temp, GetCurrentProcessId());
        gDataDir[MAX_PATH - 1] = L'\0';
        CreateDirectoryW(gDataDir, nullptr);
        primary = std::wstring(gDataDir) + L"\\config.ini";
        DeleteFileW(L".\\Config.ini");
    }
    void TearDown() override {
        DeleteFileW(primary.c_str());
        RemoveDirectoryW(gDataDir);
    }
    // Reads the file, saves, reads again: the second read must give what the first did.
    void ReadSaveRead(IniFile* first, const std::string& what) {
        gIniFile = {};
        ASSERT_EQ(1, LoadIniFile()) << what;
        *first = gIniFile;
        ASSERT_NO_FATAL_FAILURE(ExpectTerminated(*first)) << what;
        ASSERT_EQ(1, first->softAp);
        ASSERT_TRUE(KnownEncrypt(first->softApCfgInfo.encrypt)) << first->softApCfgInfo.encrypt << " " << what;
        ASSERT_TRUE(KnownAuth(first->softApCfgInfo.auth)) << first->softApCfgInfo.auth << " " << what;
        SaveIniFile();
        gIniFile = {};
        ASSERT_EQ(1, LoadIniFile()) << what;
        ASSERT_NO_FATAL_FAILURE(ExpectSavedValuesReadBack(*first, gIniFile, what));
    }
    std::wstring primary;
};

}  // namespace

// Generated files: each value read is the file's (the first of two copies or
// the second, as the profile functions pick) or the default when missing.
TEST_F(SettingsFuzz, GeneratedFilesReadTheirValuesOrTheDefaultsAndSurviveASave) {
    std::mt19937 rng(20261210);
    const int cases = 900;
    for (int i = 0; i < cases; i++) {
        GeneratedFile g = Generate(rng);
        int encoding = (int)(rng() % 5);
        WriteBytes(primary, Encode(g.text, encoding));
        std::string what = "case " + std::to_string(i) + " encoding " + std::to_string(encoding);
        IniFile first;
        ASSERT_NO_FATAL_FAILURE(ReadSaveRead(&first, what));
        for (int k = 0; k < kKeyCount; k++) {
            if (!strcmp(kKeys[k].key, "softAp")) continue;  // always 1 after reading
            SCOPED_TRACE(std::string(kKeys[k].key) + " " + what);
            const std::vector<std::string>& held = g.values[k];
            // UTF-16 without a byte-order mark, or big-endian, may be taken for narrow text, in
            // which case no key is found: the defaults then hold.
            bool bMayBeUnread = encoding == 3 || encoding == 4;
            std::set<std::wstring> texts;
            std::set<int> ints;
            for (const std::string& v : held) {
                texts.insert(Widen(v.substr(0, Q8_TEXT_MAX - 1)));
                if (kKeys[k].kind == KIND_INT) ints.insert((int)std::stoll(v));
                if (kKeys[k].kind == KIND_ENCRYPT || kKeys[k].kind == KIND_AUTH) ints.insert(ExpectedCode(kKeys[k].kind, v));
            }
            if (held.empty() || bMayBeUnread) {
                if (kKeys[k].kind == KIND_TEXT) texts.insert(Widen(kKeys[k].textDefault));
                else if (kKeys[k].kind == KIND_INT) ints.insert(kKeys[k].intDefault);
                else ints.insert(1);
            }
            if (kKeys[k].kind == KIND_TEXT)
                {
                std::wstring read = TextMember(first, k);
                ASSERT_TRUE(texts.count(read)) << "read \"" << std::string(read.begin(), read.end()).substr(0, 80)
                                               << "\" of " << held.size() << " values, first \""
                                               << (held.empty() ? std::string() : held[0].substr(0, 80)) << "\"";
            }
            else
                ASSERT_TRUE(ints.count(IntMember(first, k))) << "read " << IntMember(first, k);
        }
        ASSERT_EQ((unsigned short)(first.langId & 0xFFFF), gResourceLanguage) << what;
    }
}

// Random bytes and damaged copies of good files: no crash, every text ends in
// its buffer, the codes are known ones, and a save reads back.
TEST_F(SettingsFuzz, RandomAndMutatedBytesNeverBreakReadingOrSaving) {
    std::mt19937 rng(7341);
    const int cases = 200;
    const std::string boms[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
    for (int i = 0; i < cases; i++) {
        std::string bytes;
        if (i % 2 == 0) {
            bytes.resize(rng() % 3000);
            for (char& c : bytes) c = (char)(rng() % 4 == 0 ? "[]=\r\n\0 \"'"[rng() % 10] : (char)rng());
        } else {
            GeneratedFile g = Generate(rng);
            bytes = Encode(g.text.size() > 20000 ? g.text.substr(0, 20000) : g.text, (int)(rng() % 5));
            int edits = 1 + (int)(rng() % 12);
            for (int e = 0; e < edits && !bytes.empty(); e++) {
                size_t at = rng() % bytes.size();
                switch (rng() % 5) {
                case 0: bytes[at] = (char)rng(); break;
                case 1: bytes.insert(at, 1 + rng() % 8, (char)rng()); break;
                case 2: bytes.erase(at, 1 + rng() % 16); break;
                case 3: bytes.resize(at); break;
                default: bytes.insert(at, bytes.substr(rng() % bytes.size(), rng() % 64)); break;
                }
            }
        }
        bytes = boms[rng() % 4] + bytes;
        WriteBytes(primary, bytes);
        IniFile first;
        ASSERT_NO_FATAL_FAILURE(ReadSaveRead(&first, "case " + std::to_string(i)));
    }
}
