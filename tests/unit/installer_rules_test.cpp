// The installer's rules that need no window: the progress estimate, the
// percentage's glyphs, the setup command line, the message box's buttons,
// icons, fonts and colours, and who is asked about administrator rights.
#include "installer/instaro_app.h"
#include "installer/instaro_dlg.h"
#include "installer/nic_msgbox.h"
#include "installer/progress_dlg.h"

#include <gtest/gtest.h>

#include <string>

TEST(InstallerProgress, CountClimbsHoldsFrom95To98AndEndsAfterPassing100) {
    struct { int before, after; bool ends; } cases[] = {
        {0, 1, false},   {94, 95, false}, {95, 95, false},  {96, 96, false}, {98, 98, false},
        // 99 comes only from the utility's mutex; then two ticks show 100 and the third ends.
        {99, 100, false}, {100, 101, false}, {101, 102, true}, {-5, -4, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.after, NextProgressCount(c.before)) << "count before the tick " << c.before;
        EXPECT_EQ(c.ends, ProgressTickEnds(c.before)) << "count before the tick " << c.before;
    }
}

TEST(InstallerProgress, PercentGlyphsSitInTheirCells) {
    struct { int value; int n; PercentGlyph glyphs[4]; } cases[] = {
        {0, 2, {{0, 80}, {PERCENT_SIGN, 100}}},
        {7, 2, {{7, 80}, {PERCENT_SIGN, 100}}},
        {10, 3, {{1, 72}, {0, 90}, {PERCENT_SIGN, 110}}},
        {95, 3, {{9, 72}, {5, 90}, {PERCENT_SIGN, 110}}},
        {100, 4, {{1, 62}, {0, 77}, {0, 94}, {PERCENT_SIGN, 114}}},
        // Clamped before it is split.
        {-3, 2, {{0, 80}, {PERCENT_SIGN, 100}}},
        {101, 4, {{1, 62}, {0, 77}, {0, 94}, {PERCENT_SIGN, 114}}},
    };
    for (const auto& c : cases) {
        PercentGlyph out[4] = {};
        ASSERT_EQ(c.n, LayoutPercent(c.value, out)) << "value " << c.value;
        for (int i = 0; i < c.n; i++) {
            EXPECT_EQ(c.glyphs[i].digit, out[i].digit) << "value " << c.value << " glyph " << i;
            EXPECT_EQ(c.glyphs[i].x, out[i].x) << "value " << c.value << " glyph " << i;
        }
    }
}

TEST(InstallerSetup, CommandLineNamesResponseAndLogFileInTheWorkFolder) {
    wchar_t line[MAX_PATH];
    ASSERT_TRUE(BuildSetupCommandLine(line, MAX_PATH, L"C:\\A\\Vorn\\Setup.exe", L"C:\\A\\Vorn", L"UI_Dri_SetupLog.log"));
    EXPECT_STREQ(L"C:\\A\\Vorn\\Setup.exe /s /f1\"C:\\A\\Vorn\\Setup.iss\" /f2\"C:\\A\\Vorn\\UI_Dri_SetupLog.log\"", line);

    // A line that does not fit is refused whole, never cut.
    std::wstring folder = L"C:\\" + std::wstring(100, L'x');
    std::wstring setup = folder + L"\\Setup.exe";
    EXPECT_FALSE(BuildSetupCommandLine(line, MAX_PATH, setup.c_str(), folder.c_str(), L"UI_Dri_SetupLog.log"));
    EXPECT_STREQ(L"", line);
}

TEST(InstallerStart, AdministratorQuestionByVersionCodeAndRights) {
    // Codes: 0-2 Windows 9x, 3-6 NT before 6.0 (and 6.3 or later, which reads
    // as 5), 7-9 NT 6.0-6.2, 10 neither family.
    for (int code = 0; code <= 10; code++) {
        bool asked = code <= 6;
        EXPECT_EQ(asked, NeedsAdminQuestion(code, false)) << "version code " << code << ", no rights";
        EXPECT_FALSE(NeedsAdminQuestion(code, true)) << "version code " << code << ", administrator";
    }
}

TEST(InstallerMessageBox, ButtonCodeChoosesTheButtons) {
    struct { UINT type; bool yes, ok, no, cancel, options, okAlone; } cases[] = {
        {MB_OK, false, true, false, false, false, true},
        {MB_OKCANCEL, false, true, false, true, true, false},
        {MB_YESNO, true, false, true, false, false, false},
        {MB_YESNO | MB_ICONWARNING, true, false, true, false, false, false},
        // Other codes show OK alone, so the box can always be answered.
        {MB_YESNOCANCEL, false, true, false, false, false, true},
        {MB_RETRYCANCEL, false, true, false, false, false, true},
    };
    for (const auto& c : cases) {
        MsgBoxButtons b = ButtonsForType(c.type);
        EXPECT_EQ(c.yes, b.yes) << "type " << c.type;
        EXPECT_EQ(c.ok, b.ok) << "type " << c.type;
        EXPECT_EQ(c.no, b.no) << "type " << c.type;
        EXPECT_EQ(c.cancel, b.cancel) << "type " << c.type;
        EXPECT_EQ(c.options, b.options) << "type " << c.type;
        EXPECT_EQ(c.okAlone, b.okAlone) << "type " << c.type;
    }
}

TEST(InstallerMessageBox, IconFontAndColourStrings) {
    struct { UINT type; int picture; } icons[] = {
        {MB_ICONERROR, 172}, {MB_ICONWARNING, 174}, {MB_ICONINFORMATION, 173},
        {0, 225}, {MB_ICONQUESTION, 225}, {MB_YESNO, 225},
    };
    for (const auto& c : icons) EXPECT_EQ(c.picture, IconPictureForType(c.type)) << "type " << c.type;

    struct { const wchar_t* text; int px; } fonts[] = {
        {L"14", 18}, {L"11", 14}, {L"1", 1}, {L"100", 133},
        {L"0", 8}, {L"101", 8}, {L"", 8}, {L"abc", 8}, {L"12pt", 8}, {L"-3", 8}, {nullptr, 8},
    };
    for (const auto& c : fonts)
        EXPECT_EQ(c.px, FontPixelHeight(c.text)) << "point size \"" << (c.text ? c.text : L"(null)") << "\"";

    const COLORREF fallback = RGB(1, 2, 3);
    struct { const wchar_t* text; COLORREF color; } colours[] = {
        {L"249,251,252", RGB(249, 251, 252)}, {L"0,0,0", RGB(0, 0, 0)},
        {L"256,0,0", fallback}, {L"1,2", fallback}, {L"1,2,3,4", fallback}, {L"1, 2,3", fallback},
        {L"", fallback}, {nullptr, fallback},
    };
    for (const auto& c : colours)
        EXPECT_EQ(c.color, ParseColorText(c.text, fallback)) << "colour \"" << (c.text ? c.text : L"(null)") << "\"";
}
