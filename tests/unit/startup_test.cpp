// Start-up decisions: the OS version table, the command-line words and the
// elevated relaunch choice.
#include "app/startup.h"

#include <gtest/gtest.h>

struct OsRow { DWORD platform, major, minor; BYTE product; int code; };

TEST(OsInfo, VersionTableGivesEachCode) {
    const OsRow rows[] = {
        {1, 4, 0, 0, 0},  {1, 4, 10, 0, 1}, {1, 4, 90, 0, 2}, {1, 4, 20, 0, 5}, {1, 5, 0, 0, 5},
        {2, 3, 51, 1, 3}, {2, 4, 0, 1, 3},  {2, 5, 0, 1, 4},  {2, 5, 1, 1, 5},  {2, 5, 2, 1, 5},
        {2, 5, 2, 2, 6},  {2, 5, 2, 3, 6},  {2, 6, 0, 1, 7},  {2, 6, 1, 1, 8},  {2, 6, 1, 3, 8},
        {2, 6, 2, 1, 9},  {2, 6, 3, 1, 5},  {2, 10, 0, 1, 5}, {2, 5, 3, 1, 5},  {0, 3, 1, 0, 10},
        {3, 5, 0, 0, 10},
    };
    for (const OsRow& r : rows)
        EXPECT_EQ(r.code, OsCodeFromVersion(r.platform, r.major, r.minor, r.product))
            << "platform " << r.platform << " version " << r.major << "." << r.minor << " product "
            << (int)r.product;
}

struct LineRow { const wchar_t* line; bool elevated; bool noGui; };

TEST(CommandLine, WordsAreMatchedAsSpecified) {
    const LineRow rows[] = {
        {L"", false, false},
        {nullptr, false, false},
        {L"admin-softap;", true, false},
        {L"admin-softap", true, false},
        {L"admin-softapX", true, false},
        {L"ADMIN-SOFTAP", false, false},
        {L"admin-soft", false, false},        // shorter than 12: compared whole
        {L" admin-softap;", false, false},    // must be the first 12 characters
        {L"-nogui;", false, true},
        {L"admin-softap; -nogui;", true, true},
        {L"NOGUI", false, false},
        {L"xxnoguixx", false, true},
    };
    for (const LineRow& r : rows) {
        CommandLineFlags f = ParseCommandLine(r.line);
        EXPECT_EQ(r.elevated, f.elevatedRelaunch) << (r.line ? r.line : L"(null)");
        EXPECT_EQ(r.noGui, f.noGui) << (r.line ? r.line : L"(null)");
    }
}

TEST(Relaunch, OnlyNonAdminsFromVistaToWindows8Relaunch) {
    for (int code = 0; code <= 10; ++code) {
        EXPECT_EQ(START_MAIN, DecideFirstStart(code, true)) << code;
        EXPECT_EQ(code >= 7 ? START_RELAUNCH : START_MAIN, DecideFirstStart(code, false)) << code;
    }
}

TEST(Relaunch, ParametersCarryTheNoGuiWord) {
    wchar_t p[64];
    RelaunchParameters(false, p, 64);
    EXPECT_STREQ(L"admin-softap;", p);
    RelaunchParameters(true, p, 64);
    EXPECT_STREQ(L"admin-softap; -nogui;", p);
    // A relaunched copy reads its own parameters back as intended.
    CommandLineFlags f = ParseCommandLine(p);
    EXPECT_TRUE(f.elevatedRelaunch);
    EXPECT_TRUE(f.noGui);
}
