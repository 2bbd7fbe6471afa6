// Hostile stored keys: random stored forms, cut escapes, over-long texts and
// buffers exactly full (with and without a terminator), each step run inside
// guard characters. The result always ends inside the buffer, nothing is
// written past it, and every key that fits comes back from its stored form.
#include "adapter/keyrules.h"
#include "adapter/types.h"

#include "fuzz_util.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <random>
#include <string>
#include <vector>

namespace {

const int kGuard = 16;
const wchar_t kGuardChar = 0xFDFD;

// A buffer of `count` characters between two runs of guard characters.
struct Guarded {
    std::vector<wchar_t> all;
    int count;
    Guarded(const std::wstring& text, int count, bool bTerminate) : all(count + 2 * kGuard, kGuardChar), count(count) {
        wchar_t* b = buf();
        for (int i = 0; i < count; i++) b[i] = i < (int)text.size() ? text[i] : L'\0';
        if (bTerminate && count > 0) b[text.size() < (size_t)count ? text.size() : count - 1] = L'\0';
    }
    wchar_t* buf() { return all.data() + kGuard; }
    bool GuardsIntact() const {
        for (int i = 0; i < kGuard; i++)
            if (all[i] != kGuardChar || all[kGuard + count + i] != kGuardChar) return false;
        return true;
    }
    bool Terminated() { return wcsnlen(buf(), count) < (size_t)count; }
};

typedef void (*KeyStep)(wchar_t*, int);
struct StepRow { const char* name; KeyStep step; };
const StepRow kSteps[] = {
    {"DecodeStoredKey", DecodeStoredKey}, {"PercentUnescapeKey", PercentUnescapeKey},
    {"UnscrambleKey", UnscrambleKey},     {"EncodeStoredKey", EncodeStoredKey},
    {"ScrambleKey", ScrambleKey},         {"PercentEscapeKey", PercentEscapeKey},
};

// Failure messages show at most this much of a text.
const size_t kShown = 120;


// A stored form as a damaged file could hold it: escapes whole and cut,
// the 0x7F mark, control characters, non-ASCII and lone surrogates.
std::wstring RandomStoredForm(std::mt19937& rng) {
    static const wchar_t pieces[][6] = {L"%", L"%4", L"%41", L"%7F", L"%zz", L"%%", L"\x7f", L"\x7f" L"4",
                                        L"\x7f" L"41", L"\x7f" L"FF", L"%00", L"%25", L"A", L"z", L"9", L" ",
                                        L"]", L"\x01", L"\x1e", L"\xe9", L"\x5bc6", L"\xd800", L"\xdc00", L"\xffff"};
    const int npieces = sizeof pieces / sizeof pieces[0];
    int length;
    switch (rng() % 6) {
    case 0: length = (int)(rng() % 4); break;
    case 1: length = 500 + (int)(rng() % 1200); break;  // over-long
    default: length = (int)(rng() % 60);
    }
    std::wstring s;
    while ((int)s.size() < length) {
        if (rng() % 3 == 0) s += (wchar_t)(1 + rng() % 0xFFFE);
        else s += pieces[rng() % npieces];
    }
    return s;
}

}  // namespace

// Every step on random stored forms in buffers of every size: ends inside the
// buffer, leaves the guards alone, and a buffer given without any terminator
// is read no further than its size.
TEST(KeyRulesFuzz, RandomStoredFormsStayInsideTheirBuffers) {
    std::mt19937 rng(424242);
    const int cases = 2500;
    for (int i = 0; i < cases; i++) {
        std::wstring text = RandomStoredForm(rng);
        int count;
        switch (rng() % 4) {
        case 0: count = (int)text.size() + 1; break;  // exactly full with its terminator
        case 1: count = text.empty() ? 1 : (int)text.size(); break;  // full, no terminator
        case 2: count = 1 + (int)(rng() % 16); break;
        default: count = 1 + (int)(rng() % (Q8_TEXT_MAX + 200));
        }
        bool bTerminate = rng() % 5 != 0;
        const StepRow& step = kSteps[rng() % (sizeof kSteps / sizeof kSteps[0])];
        Guarded g(text, count, bTerminate);
        step.step(g.buf(), count);
        ASSERT_TRUE(g.GuardsIntact()) << step.name << " count " << count << " on \"" << Show(text, kShown) << "\"";
        ASSERT_TRUE(g.Terminated()) << step.name << " count " << count << " on \"" << Show(text, kShown) << "\"";
    }
}

// Keys of the utility's rules (8 to 12 letters and digits) and any printable
// ASCII key come back from their stored form; in a buffer exactly as large as
// the stored form the stored form is the same, and in a smaller one it
// decodes to a beginning of the key.
TEST(KeyRulesFuzz, EncodeThenDecodeGivesEveryKeyBack) {
    std::mt19937 rng(9001);
    static const wchar_t alnum[] = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int cases = 3000;
    for (int i = 0; i < cases; i++) {
        std::wstring key;
        if (i % 2 == 0) {
            int length = 8 + (int)(rng() % 5);
            for (int k = 0; k < length; k++) key += alnum[rng() % 62];
        } else {
            int length = 1 + (int)(rng() % (i % 10 == 1 ? 250 : 40));
            for (int k = 0; k < length; k++) key += (wchar_t)(1 + rng() % 0x7F);  // 0x01..0x7F
        }
        Guarded big(key, Q8_TEXT_MAX, true);
        EncodeStoredKey(big.buf(), Q8_TEXT_MAX);
        ASSERT_TRUE(big.GuardsIntact() && big.Terminated()) << Show(key, kShown);
        std::wstring stored = big.buf();
        Guarded back(stored, Q8_TEXT_MAX, true);
        DecodeStoredKey(back.buf(), Q8_TEXT_MAX);
        ASSERT_TRUE(back.GuardsIntact() && back.Terminated());
        if (stored.size() + 1 < (size_t)Q8_TEXT_MAX || key.size() <= 12)
            ASSERT_EQ(Show(key, kShown), Show(back.buf(), kShown)) << "stored \"" << Show(stored, kShown) << "\"";
        else
            ASSERT_EQ(0u, key.find(back.buf())) << "decoded \"" << Show(back.buf(), kShown) << "\" of \"" << Show(key, kShown) << "\"";

        // The stored form in a buffer exactly its size.
        int exact = (int)stored.size() + 1;
        if (key.size() + 1 <= (size_t)exact) {
            Guarded fit(key, exact, true);
            EncodeStoredKey(fit.buf(), exact);
            ASSERT_TRUE(fit.GuardsIntact() && fit.Terminated()) << Show(key, kShown);
            ASSERT_EQ(Show(stored, kShown), Show(fit.buf(), kShown));
        }

        // A smaller buffer: a shorter stored form that decodes to a beginning of the key.
        int small = 1 + (int)(rng() % (exact > 1 ? exact : 1));
        std::wstring start = key.substr(0, small - 1);
        Guarded cut(start, small, true);
        EncodeStoredKey(cut.buf(), small);
        ASSERT_TRUE(cut.GuardsIntact() && cut.Terminated()) << Show(key, kShown) << " count " << small;
        Guarded again(cut.buf(), Q8_TEXT_MAX, true);
        DecodeStoredKey(again.buf(), Q8_TEXT_MAX);
        ASSERT_EQ(0u, key.find(again.buf())) << "count " << small << " decoded \"" << Show(again.buf(), kShown) << "\" of \""
                                              << Show(key, kShown) << "\"";
    }
}

// Percent escapes of ASCII texts come back whole when they fit.
TEST(KeyRulesFuzz, PercentEscapeThenUnescapeGivesTheTextBack) {
    std::mt19937 rng(77);
    for (int i = 0; i < 3000; i++) {
        std::wstring text;
        int length = (int)(rng() % 100);
        for (int k = 0; k < length; k++) text += (wchar_t)(1 + rng() % 0x7F);
        Guarded g(text, Q8_TEXT_MAX, true);
        PercentEscapeKey(g.buf(), Q8_TEXT_MAX);
        ASSERT_TRUE(g.GuardsIntact() && g.Terminated());
        PercentUnescapeKey(g.buf(), Q8_TEXT_MAX);
        ASSERT_TRUE(g.GuardsIntact() && g.Terminated());
        ASSERT_EQ(Show(text, kShown), Show(g.buf(), kShown));
    }
}

// Stored forms cut in the middle of an escape, each in a buffer exactly full.
TEST(KeyRulesFuzz, CutEscapesAreKeptAsTheyStand) {
    struct Row { const wchar_t* in; const wchar_t* out; } rows[] = {
        {L"%", L"%"}, {L"%4", L"%4"}, {L"ab%", L"ab%"}, {L"%41%", L"A%"}, {L"%41%4", L"A%4"}, {L"%4g%41", L"%4g%41"},
    };
    for (const Row& r : rows) {
        int count = (int)wcslen(r.in) + 1;
        Guarded g(r.in, count, true);
        PercentUnescapeKey(g.buf(), count);
        ASSERT_TRUE(g.GuardsIntact() && g.Terminated()) << Show(r.in, kShown);
        EXPECT_STREQ(r.out, g.buf()) << Show(r.in, kShown);
    }
}
