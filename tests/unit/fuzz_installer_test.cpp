// Hostile resource lists and layout strings: each item, rectangle, point size
// and colour is accepted exactly when a plain reading of its rule accepts it,
// and a resource list is taken whole or not at all.
#include "installer/nic_msgbox.h"
#include "installer/unpack_res.h"
#include "ui/kit/layout.h"
#include "fuzz_res.h"

#include "fuzz_util.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {


// Random text from an alphabet that favours the rule's own characters.
std::wstring RandomText(std::mt19937& rng, const wchar_t* favoured, int maxLength) {
    static const wchar_t others[] = L" \t+-,.xX\x0660\xff11\x00b2\x00b9";  // signs, blanks, non-ASCII digits
    std::wstring s;
    int length = (int)(rng() % (maxLength + 1));
    size_t nf = wcslen(favoured);
    for (int i = 0; i < length; i++) {
        switch (rng() % 8) {
        case 0: s += others[rng() % (sizeof others / sizeof others[0] - 1)]; break;
        case 1: s += (wchar_t)(1 + rng() % 0xFFFE); break;
        default: s += favoured[rng() % nf];
        }
    }
    return s;
}

// Digits only, 1 to `maxDigits` of them (or any number when 0): the value, else -1.
long long Number(const std::wstring& s, size_t maxDigits) {
    if (s.empty() || (maxDigits && s.size() > maxDigits)) return -1;
    long long v = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9') return -1;
        if (v < 1000000000LL) v = v * 10 + (c - L'0');
    }
    return v;
}

std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) return parts;
        start = at + 1;
    }
}

bool ReferenceResItem(const std::wstring& s, UINT* res, UINT* name) {
    std::vector<std::wstring> p = Split(s, L'-');
    if (p.size() != 2) return false;
    long long a = Number(p[0], 0), b = Number(p[1], 0);
    if (a < 1 || a > 65535 || b < 1 || b > 65535) return false;
    *res = (UINT)a;
    *name = (UINT)b;
    return true;
}

// "%d,%d,%d,%d" as swscanf reads it: blanks before each number, an optional
// sign, digits; a "," right after each of the first three; anything after
// the fourth. Every number 1..10000, their true values (no wrap-around).
bool ReferenceLayout(const std::wstring& s, RECT* out) {
    long long v[4];
    size_t i = 0;
    for (int n = 0; n < 4; n++) {
        while (i < s.size() && iswspace(s[i])) i++;
        bool neg = false;
        if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) neg = s[i++] == L'-';
        size_t start = i;
        long long value = 0;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') {
            if (value < 100000000000LL) value = value * 10 + (s[i] - L'0');
            i++;
        }
        if (i == start) return false;
        v[n] = neg ? -value : value;
        if (n < 3) {
            if (i >= s.size() || s[i] != L',') return false;
            i++;
        }
    }
    for (long long x : v)
        if (x < 1 || x > 10000) return false;
    *out = RECT{(LONG)v[0], (LONG)v[1], (LONG)(v[0] + v[2]), (LONG)(v[1] + v[3])};
    return true;
}

int ReferenceFont(const std::wstring& s) {
    long long v = Number(s, 3);
    return v >= 1 && v <= 100 ? (int)(v * 96 / 72) : 8;
}

COLORREF ReferenceColor(const std::wstring& s, COLORREF fallback) {
    std::vector<std::wstring> p = Split(s, L',');
    if (p.size() != 3) return fallback;
    long long c[3];
    for (int i = 0; i < 3; i++) {
        c[i] = Number(p[i], 3);
        if (c[i] < 0 || c[i] > 255) return fallback;
    }
    return RGB(c[0], c[1], c[2]);
}

// Good inputs made longer, cut, or with one character changed.
std::wstring Mutate(std::wstring s, std::mt19937& rng, const wchar_t* favoured) {
    int edits = (int)(rng() % 3);
    for (int e = 0; e < edits; e++) {
        size_t at = rng() % (s.size() + 1);
        std::wstring piece = RandomText(rng, favoured, 3);
        switch (rng() % 3) {
        case 0: s.insert(at, piece); break;
        case 1: if (at < s.size()) s.erase(at, 1 + rng() % 3); break;
        default: if (at < s.size() && !piece.empty()) s[at] = piece[0]; break;
        }
    }
    return s;
}

std::wstring Num(std::mt19937& rng) {
    switch (rng() % 6) {
    case 0: return std::to_wstring(rng() % 3);
    case 1: return std::to_wstring(65530 + rng() % 10);
    case 2: return std::to_wstring(4294967296ULL + rng() % 20000);  // wraps to a small number in 32 bits
    case 3: return std::wstring(rng() % 6, L'0') + std::to_wstring(1 + rng() % 300);
    default: return std::to_wstring(1 + rng() % 12000);
    }
}

}  // namespace

TEST(InstallerFuzz, ResourceItemsAreReadByTheirRuleOnly) {
    std::mt19937 rng(555);
    for (int i = 0; i < 6000; i++) {
        std::wstring s = i % 2 ? RandomText(rng, L"0123456789-", 14) : Mutate(Num(rng) + L"-" + Num(rng), rng, L"0123456789-,");
        UINT wantRes = 0, wantName = 0, res = 777, name = 888;
        bool want = ReferenceResItem(s, &wantRes, &wantName);
        ASSERT_EQ(want, ParseResItem(s.c_str(), &res, &name)) << "\"" << Show(s) << "\"";
        if (want) {
            ASSERT_EQ(wantRes, res);
            ASSERT_EQ(wantName, name);
        } else {
            ASSERT_EQ(777u, res);
            ASSERT_EQ(888u, name);
        }
    }
    UINT res, name;
    EXPECT_FALSE(ParseResItem(nullptr, &res, &name));
}

TEST(InstallerFuzz, LayoutRectanglesAreReadByTheirRuleOnly) {
    std::mt19937 rng(666);
    for (int i = 0; i < 6000; i++) {
        std::wstring s = i % 2 ? RandomText(rng, L"0123456789,", 24)
                               : Mutate(Num(rng) + L"," + Num(rng) + L"," + Num(rng) + L"," + Num(rng), rng, L"0123456789,");
        RECT want = {-1, -1, -1, -1}, got = {-2, -2, -2, -2};
        bool bWant = ReferenceLayout(s, &want);
        ASSERT_EQ(bWant, ParseLayoutRect(s.c_str(), &got)) << "\"" << Show(s) << "\"";
        if (bWant) ASSERT_TRUE(EqualRect(&want, &got)) << "\"" << Show(s) << "\"";
        else ASSERT_EQ(-2, got.left) << "\"" << Show(s) << "\" changed the rectangle";
    }
}

// Numbers too large for 32 bits never come back as small positions.
TEST(InstallerFuzz, LayoutNumbersBeyondThirtyTwoBitsAreRejected) {
    const wchar_t* rows[] = {L"4294967297,10,10,10", L"10,4294967306,10,10", L"10,10,4294967296000,10",
                             L"10,10,10,18446744073709551626", L"-4294967286,10,10,10"};
    for (const wchar_t* s : rows) {
        RECT rc = {-2, -2, -2, -2};
        EXPECT_FALSE(ParseLayoutRect(s, &rc)) << Show(s);
        EXPECT_EQ(-2, rc.left);
    }
}

TEST(InstallerFuzz, PointSizesAndColoursAreReadByTheirRuleOnly) {
    std::mt19937 rng(777);
    const COLORREF fallback = RGB(1, 2, 3);
    for (int i = 0; i < 6000; i++) {
        std::wstring p = i % 2 ? RandomText(rng, L"0123456789", 5) : Mutate(Num(rng), rng, L"0123456789");
        ASSERT_EQ(ReferenceFont(p), FontPixelHeight(p.c_str())) << "\"" << Show(p) << "\"";
        std::wstring c = i % 2 ? RandomText(rng, L"0123456789,", 14)
                               : Mutate(std::to_wstring(rng() % 300) + L"," + std::to_wstring(rng() % 300) + L"," +
                                            std::to_wstring(rng() % 300), rng, L"0123456789,");
        ASSERT_EQ(ReferenceColor(c, fallback), ParseColorText(c.c_str(), fallback)) << "\"" << Show(c) << "\"";
    }
    EXPECT_EQ(8, FontPixelHeight(nullptr));
    EXPECT_EQ(fallback, ParseColorText(nullptr, fallback));
}

// Resource lists of this program's string table: whole lists, however long,
// or nothing at all — never the entries before a bad item.
TEST(InstallerFuzz, ResourceListsAreTakenWholeOrNotAtAll) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring work = std::wstring(temp) + L"q8_fuzz_unpack_" + std::to_wstring(GetCurrentProcessId());
    struct Row { const char* what; UINT id; int entries; } rows[] = {
        {"a bad last item", IDS_FUZZ_LIST_BAD_LAST, 0},
        {"a missing file-name string last", IDS_FUZZ_LIST_NO_NAME_LAST, 0},
        {"120 items, over 512 characters", IDS_FUZZ_LIST_LONG, 120},
        {"a zero character inside", IDS_FUZZ_LIST_NUL, 0},
        {"a file name of 300 characters", IDS_FUZZ_LIST_LONG_NAME, 0},
        {"an id at the 512th character", IDS_FUZZ_LIST_CUT_ID, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        UnPackFromRes u(work.c_str());
        ASSERT_TRUE(u.InitResouse(GetModuleHandleW(nullptr), L"UTILITY", r.id));
        ASSERT_TRUE(u.SetOutDir());
        const wchar_t* raw = nullptr;
        int length = LoadStringW(GetModuleHandleW(nullptr), r.id, (LPWSTR)&raw, 0);
        ASSERT_GT(length, 0);
        int want = r.entries;
        if (want < 0) want = (int)Split(std::wstring(raw, length), L',').size();
        bool ok = u.GetResourceList();
        EXPECT_EQ(want > 0, ok);
        EXPECT_EQ(want, u.Count());
        if (ok) {
            std::vector<std::wstring> items = Split(std::wstring(raw, length), L',');
            const ResDot* dot = u.First();
            for (const std::wstring& item : items) {
                ASSERT_NE(nullptr, dot);
                UINT res = 0, name = 0;
                ASSERT_TRUE(ReferenceResItem(item, &res, &name));
                EXPECT_EQ(res, dot->resourceId);
                EXPECT_EQ(name, dot->nameStringId);
                dot = dot->next;
            }
            EXPECT_EQ(nullptr, dot);
        }
    }
    RemoveDirectoryW(work.c_str());
}
