// Name and key rules: character classes, the default name, random keys and
// the stored form of the key (round trips, cutting, damaged stored forms).
#include "adapter/keyrules.h"

#include "adapter/ops.h"
#include "app/shared_lock.h"
#include "netenv/discovery.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

const int BIG_COUNT = 4096;  // room for the longest stored form (255 plain bytes)
const wchar_t GUARD = 0xABCD;

std::wstring Encode(const std::wstring& plain, int count = BIG_COUNT) {
    std::vector<wchar_t> buf(count, L'\0');
    wcsncpy(buf.data(), plain.c_str(), count - 1);
    EncodeStoredKey(buf.data(), count);
    return buf.data();
}

std::wstring Decode(const std::wstring& stored, int count = BIG_COUNT) {
    std::vector<wchar_t> buf(count, L'\0');
    wcsncpy(buf.data(), stored.c_str(), count - 1);
    DecodeStoredKey(buf.data(), count);
    return buf.data();
}

// Runs `step` on `text` in a buffer of `count` characters followed by guards;
// checks nothing past the buffer was written and the result is terminated.
std::wstring RunGuarded(void (*step)(wchar_t*, int), const std::wstring& text, int count) {
    std::vector<wchar_t> buf(count + 64, GUARD);
    size_t n = text.size() < (size_t)count ? text.size() : (size_t)count;
    wmemcpy(buf.data(), text.data(), n);  // may fill the buffer without a terminator
    if (n < (size_t)count) buf[n] = L'\0';
    step(buf.data(), count);
    for (size_t i = count; i < buf.size(); i++) {
        if (buf[i] != GUARD) {
            ADD_FAILURE() << "written past count=" << count << " at " << i;
            break;
        }
    }
    size_t len = wcsnlen(buf.data(), count);
    EXPECT_LT(len, (size_t)count) << "not terminated within count=" << count;
    return std::wstring(buf.data(), len < (size_t)count ? len : 0);
}

std::wstring RandomKey(std::mt19937& rng) {
    static const wchar_t chars[] = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<int> lengths(8, 12), pick(0, 61);
    std::wstring key(lengths(rng), L' ');
    for (wchar_t& c : key) c = chars[pick(rng)];
    return key;
}

}  // namespace

struct ClassRow { const wchar_t* text; int charClass; int expected; };

TEST(CharClass, SetsOfEachClass) {
    const ClassRow rows[] = {
        {L"", 0, 1}, {L"", 1, 1}, {L"", 2, 1}, {L"", 3, 1},
        {L"0123456789abcdefABCDEF", 1, 1}, {L"0g", 1, 0}, {L"G", 1, 0},
        {L"abcd1234", 2, 1}, {L"AZaz09xy", 2, 1}, {L"abc_1234", 2, 0}, {L"abc 1234", 2, 0}, {L"\u00e91234567", 2, 0},
        {L"!~abc{}", 3, 1}, {L"a\"b", 3, 0}, {L"a b", 3, 0},
        {L"my ap \"x\"", 0, 1}, {L" ~!", 0, 1}, {L"Q8_8192A3", 0, 1},
        {L"\u7f51\u7edc", 0, 0}, {L"ab\u4e2d", 0, 0}, {L"\x7f", 0, 0}, {L"\x1f", 0, 0}, {L"\t", 0, 0},
        {L"a b", 7, 1}, {L"\u4e2d", -1, 0},
    };
    for (const ClassRow& r : rows)
        EXPECT_EQ(r.expected, IsTextInClass(r.text, r.charClass)) << "class " << r.charClass;
}

// The key rule as the panel applies it: 8 to 12 characters of class 2.
TEST(CharClass, KeyAndNameValidity) {
    auto keyOk = [](const wchar_t* k) { size_t n = wcslen(k); return n >= 8 && n <= 12 && IsTextInClass(k, 2); };
    EXPECT_TRUE(keyOk(L"abcd1234"));
    EXPECT_TRUE(keyOk(L"ABCDEFGH1234"));
    EXPECT_FALSE(keyOk(L"abc1234"));     // seven characters
    EXPECT_FALSE(keyOk(L"abcd_1234"));   // underscore
    EXPECT_TRUE(IsTextInClass(L"a \"b\"", 0));
    EXPECT_FALSE(IsTextInClass(L"\u70ed\u70b9", 0));
}

class DefaultSsid : public ::testing::Test {
protected:
    void SetUp() override {
        SHARED_RECORD_GUARD;
        savedList = adapterList;
        savedCount = gMacCount;
        adapterList = {};
        adapterList.count = 1;
        wcscpy(adapterList.entries[0].guid, L"{00000003-0000-0000-0000-4E6574446576}");
        for (MacEntry& row : gMacTable) row = {};
        gMacCount = 0;
    }
    void TearDown() override {
        SHARED_RECORD_GUARD;
        adapterList = savedList;
        gMacCount = savedCount;
    }
    void AddRow(const wchar_t* name, std::vector<BYTE> address) {
        MacEntry& row = gMacTable[gMacCount++];
        wcscpy(row.adapterName, name);
        for (size_t i = 0; i < address.size() && i < 8; i++) row.address[i] = address[i];
        row.addressLength = (int)address.size();
    }
    std::wstring Run() {
        wchar_t out[16] = L"unchanged";
        MakeDefaultSsid(out);
        return out;
    }
    ControlNicList savedList;
    int savedCount = 0;
};

TEST_F(DefaultSsid, FirstRowWithTheExactGuidGivesTheName) {
    AddRow(L"{00000002-0000-0000-0000-4E6574446576}", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    AddRow(L"{00000003-0000-0000-0000-4e6574446576}", {0x00, 0x11, 0x22, 0x66, 0x77, 0x88});  // case differs
    AddRow(L"{00000003-0000-0000-0000-4E6574446576}", {0x00, 0xE0, 0x4C, 0x81, 0x92, 0xA3});
    AddRow(L"{00000003-0000-0000-0000-4E6574446576}", {0x00, 0xE0, 0x4C, 0x01, 0x02, 0x03});
    EXPECT_EQ(L"Q8_8192A3", Run());
}

TEST_F(DefaultSsid, NoMatchShortAddressOrNoAdapterLeaveTheTextUnchanged) {
    AddRow(L"{00000002-0000-0000-0000-4E6574446576}", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(L"unchanged", Run());
    AddRow(L"{00000003-0000-0000-0000-4E6574446576}", {0x00, 0xE0, 0x4C, 0x81});
    EXPECT_EQ(L"unchanged", Run());
    AddRow(L"", {0x00, 0xE0, 0x4C, 0x81, 0x92, 0xA3});
    wchar_t guid[Q8_GUID_TEXT_MAX];
    wcscpy(guid, adapterList.entries[0].guid);
    adapterList.entries[0].guid[0] = L'\0';  // empty list entry: the empty row name must not match
    EXPECT_EQ(L"unchanged", Run());
    wcscpy(adapterList.entries[0].guid, guid);
    gMacCount = -1;
    EXPECT_EQ(L"unchanged", Run());
}

TEST_F(DefaultSsid, RowCountPastTheTableIsClamped) {
    gMacCount = MAC_TABLE_MAX - 1;
    AddRow(L"{00000003-0000-0000-0000-4E6574446576}", {0x00, 0xE0, 0x4C, 0x0A, 0x0B, 0x0C});
    gMacCount = 1000;
    EXPECT_EQ(L"Q8_0A0B0C", Run());
}

// Keys come from the system's cryptographic generator: two made within the
// same second differ, and every allowed character turns up in its place.
TEST(RandomKey, FiveLettersThenThreeDigitsDifferentEveryTime) {
    const std::wstring letters = L"wertyuipasdfhjkzxcvbnm", digits = L"23456789";
    std::set<std::wstring> keys;
    std::set<wchar_t> seenLetters, seenDigits;
    const int count = 2000;
    for (int i = 0; i < count; i++) {
        wchar_t key[16];
        wmemset(key, L'#', 16);
        MakeRandomKey(key);
        ASSERT_EQ(8u, wcslen(key)) << key;
        for (int k = 0; k < 5; k++) {
            ASSERT_NE(std::wstring::npos, letters.find(key[k])) << key;
            seenLetters.insert(key[k]);
        }
        for (int k = 5; k < 8; k++) {
            ASSERT_NE(std::wstring::npos, digits.find(key[k])) << key;
            seenDigits.insert(key[k]);
        }
        keys.insert(key);
    }
    // 2000 keys out of 22^5 * 8^3 (2.6 thousand million): a repeat is a broken generator.
    EXPECT_EQ((size_t)count, keys.size()) << "keys repeated";
    EXPECT_EQ(letters.size(), seenLetters.size()) << "letters never drawn";
    EXPECT_EQ(digits.size(), seenDigits.size()) << "digits never drawn";
}

struct TextRow { const wchar_t* in; const wchar_t* out; };

TEST(PercentSteps, EscapeAndUnescapeTable) {
    const TextRow escapes[] = {
        {L" ", L"%20"}, {L"%", L"%25"}, {L"]", L"%5D"}, {L"a\x01z", L"a%01z"}, {L"\x1e\x1f", L"%1E\x1f"},
        {L"abc[=;\x7f", L"abc[=;\x7f"}, {L"\u4e2d", L"%D6%D0"}, {L"", L""},
    };
    for (const TextRow& r : escapes) EXPECT_EQ(r.out, RunGuarded(PercentEscapeKey, r.in, 64)) << r.in;
    const TextRow unescapes[] = {
        {L"%20", L" "}, {L"%25", L"%"}, {L"%2x", L"%2x"}, {L"%4a%4A", L"JJ"}, {L"a%2xb%20", L"a%2xb%20"},
        {L"%41%", L"A%"}, {L"%4", L"%4"}, {L"%D6%D0", L"\u4e2d"}, {L"ab%00cd", L"ab"}, {L"", L""},
    };
    for (const TextRow& r : unescapes) EXPECT_EQ(r.out, RunGuarded(PercentUnescapeKey, r.in, 64)) << r.in;
}

// The stored form as the two published steps build it, for compatibility.
TEST(StoredKey, EncodeMatchesTheTwoStepsAndDecodes) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 200000; i++) {
        std::wstring key = RandomKey(rng);
        std::wstring stored = Encode(key, 512);
        ASSERT_EQ(key, Decode(stored, 512)) << "stored " << stored;
        if (i % 50 == 0) {
            wchar_t buf[512];
            wcscpy(buf, key.c_str());
            ScrambleKey(buf, 512);
            PercentEscapeKey(buf, 512);
            ASSERT_EQ(stored, std::wstring(buf)) << key;
        }
    }
}

// The table is the same for every run: the default stored key decodes to a
// valid key, and an ordinary key has the same stored form each time.
TEST(StoredKey, DefaultStoredKeyDecodesToAValidKey) {
    std::wstring plain = Decode(L"40718263");
    EXPECT_EQ(8u, plain.size());
    EXPECT_TRUE(IsTextInClass(plain.c_str(), 2)) << plain;
    EXPECT_EQ(L"40718263", Encode(plain).substr(0, 8));
}

// Every terminator position 0..765 (escaped lengths) with and without the
// extra trailing character, and every printable byte at every table position.
TEST(StoredKey, RoundTripAtEveryTablePosition) {
    int extras = 0, plainOnes = 0;
    for (int length = 0; length <= 765; length++) {
        if (length / 3 + length % 3 > 255) continue;  // 764 needs 256 plain bytes
        std::wstring key(length / 3, L'\x01');
        key += std::wstring(length % 3, L'k');
        std::wstring stored = Encode(key);
        bool bExtra = stored.size() >= 3 && stored.compare(stored.size() - 3, 2, L"%0") == 0 &&
                      stored.back() >= L'1' && stored.back() <= L'9';
        (bExtra ? extras : plainOnes)++;
        ASSERT_EQ(key, Decode(stored)) << "escaped length " << length;
    }
    EXPECT_GT(extras, 0);     // both cases met: the table has zero and non-zero values
    EXPECT_GT(plainOnes, 0);
    for (int length = 1; length <= 255; length++) {
        std::wstring key(length, L"Zz9"[length % 3]);
        ASSERT_EQ(key, Decode(Encode(key))) << "length " << length;
    }
    for (wchar_t c = 0x1F; c <= 0x7F; c++) {
        std::wstring key(255, c);
        ASSERT_EQ(key, Decode(Encode(key))) << "character " << (int)c;
    }
}

TEST(StoredKey, RoundTripOfTextsTheEscapesHandle) {
    const wchar_t* keys[] = {
        L"a b c d e", L"100%%pass", L"]]]]]]]]", L"[sec]=;#", L"\x01\x02\x1e\x1f\x20\x7f",
        L"\x7f" L"41\x7f" L"7F", L"%41%2x%", L"\u5bc6\u7801\u6d4b\u8bd5", L"\u20ac\u00a7ab12",
        L"\"quoted\"", L"'single'", L"\t tab \t", L"~!@#$^&*()_+{}|:<>?",
    };
    for (const wchar_t* k : keys) EXPECT_EQ(k, Decode(Encode(k))) << k;
    std::wstring all;
    for (wchar_t c = 1; c < 0x80; c++) all += c;
    EXPECT_EQ(all, Decode(Encode(all)));
}

// A buffer too small for the stored form: no write past it, the result is
// terminated and still decodes to the start of the key.
TEST(StoredKey, CutToTheBufferDecodesToAPrefix) {
    const std::wstring keys[] = {L"abcdEFGH1234", L"a%b ]c\x01\u5bc6\u7801\x7f" L"z", std::wstring(300, L'%')};
    for (const std::wstring& key : keys) {
        for (int count = 1; count <= 60; count++) {
            std::wstring stored = RunGuarded(EncodeStoredKey, key, count);
            std::wstring plain = RunGuarded(DecodeStoredKey, stored, count);
            EXPECT_EQ(0u, key.find(plain)) << "count " << count << " gave " << plain;
            if (count == 60 && key.size() == 12) {
                EXPECT_EQ(key, plain);
            }
        }
        for (int count = 1; count <= 40; count++) {
            RunGuarded(ScrambleKey, key, count);
            RunGuarded(PercentEscapeKey, key, count);
        }
    }
}

// Damaged stored forms decode to some text: no crash, no write past the buffer.
TEST(StoredKey, DamagedStoredFormsStayInTheBuffer) {
    std::vector<std::wstring> forms = {
        L"%", L"%zz%4", std::wstring(511, L'%'), L"\x7f", L"\x7fG1", L"%7F%7F%7F", L"%00abc", L"%FF%FE%81",
        std::wstring(600, L'\x7f'),
    };
    std::wstring ff;
    for (int i = 0; i < 170; i++) ff += L"%FF";
    forms.push_back(ff);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> unit(1, 0xFFFF), len(0, 700);
    for (int i = 0; i < 300; i++) {
        std::wstring s(len(rng), L' ');
        for (wchar_t& c : s) c = (wchar_t)unit(rng);
        forms.push_back(s);
    }
    for (const std::wstring& f : forms) {
        RunGuarded(DecodeStoredKey, f, 512);
        RunGuarded(UnscrambleKey, f, 512);
        RunGuarded(PercentUnescapeKey, f, 16);
        RunGuarded(EncodeStoredKey, f, 512);
    }
}
