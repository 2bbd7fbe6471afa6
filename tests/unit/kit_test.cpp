// The skinned control kit as a caller sees it: layout strings, the picture
// a button shows for each state, the gradient steps, and the picture cache.
#include "ui/kit/framework.h"
#include "ui/kit/image_cache.h"
#include "ui/kit/layout.h"
#include "ui/kit/res_text.h"
#include "ui/kit/tp_button.h"
#include "ui/kit/tp_static.h"
#include "kit_test_res.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

static bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Resources of this test program: the layout strings below and two pictures.
class KitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FrameworkInit(GetModuleHandleW(nullptr));
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    static void TearDownTestSuite() {
        FreeImageCache();
        Gdiplus::GdiplusShutdown(token);
    }
    static ULONG_PTR token;
};
ULONG_PTR KitTest::token = 0;

struct LayoutRow {
    UINT stringId;  // IDS_KIT_LAYOUT_* in kit_test.rc; 0 = missing
    const char* text;
    bool valid;
    RECT expected;
};

TEST_F(KitTest, LayoutStringsFollowTheRectangleRule) {
    const RECT fallback = {1, 2, 3, 4};
    const LayoutRow rows[] = {
        {IDS_KIT_LAYOUT_VALID, "280,355,80,24", true, {280, 355, 360, 379}},
        {IDS_KIT_LAYOUT_ZERO, "0,10,18,18", false, {}},
        {IDS_KIT_LAYOUT_THREE, "10,10,18", false, {}},
        {IDS_KIT_LAYOUT_BIG, "10,10,10001,5", false, {}},
        {IDS_KIT_LAYOUT_LIMIT, "10000,1,10000,1", true, {10000, 1, 20000, 2}},
        {IDS_KIT_LAYOUT_NEGATIVE, "10,-5,18,18", false, {}},
        {IDS_KIT_LAYOUT_TEXT, "ten,10,18,18", false, {}},
        {IDS_KIT_LAYOUT_SPACES, "5, 6, 7, 8", true, {5, 6, 12, 14}},
        {IDS_KIT_LAYOUT_MISSING, "(no such string)", false, {}},
    };
    for (const LayoutRow& r : rows) {
        RECT got = LoadLayoutRect(r.stringId, fallback);
        RECT want = r.valid ? r.expected : fallback;
        EXPECT_TRUE(SameRect(got, want)) << "string \"" << r.text << "\": got " << RectText(got) << ", expected "
                                         << RectText(want);
    }
}

TEST_F(KitTest, TextsComeFromTheStringTableCutToTheBufferOrEmpty) {
    wchar_t whole[32], cut[5], missing[8];
    wmemset(missing, L'x', ARRAYSIZE(missing));
    EXPECT_STREQ(L"5, 6, 7, 8", LoadResText(IDS_KIT_LAYOUT_SPACES, whole, ARRAYSIZE(whole)));
    EXPECT_STREQ(L"5, 6", LoadResText(IDS_KIT_LAYOUT_SPACES, cut, ARRAYSIZE(cut))) << "four characters and the end";
    EXPECT_STREQ(L"", LoadResText(IDS_KIT_LAYOUT_MISSING, missing, ARRAYSIZE(missing)));
}

TEST(TpButton, PictureForEveryStateAndPreviousState) {
    const char* names[] = {"hover", "normal", "pressed", "disabled"};
    // [state][prevState 0..3] when enabled.
    const TpButtonImage enabled[4][4] = {
        {TPB_IMG_HOVER, TPB_IMG_HOVER, TPB_IMG_HOVER, TPB_IMG_PRESSED},
        {TPB_IMG_NORMAL, TPB_IMG_NORMAL, TPB_IMG_NORMAL, TPB_IMG_PRESSED},
        {TPB_IMG_HOVER, TPB_IMG_NORMAL, TPB_IMG_HOVER, TPB_IMG_HOVER},
        {TPB_IMG_PRESSED, TPB_IMG_NORMAL, TPB_IMG_PRESSED, TPB_IMG_PRESSED},
    };
    for (int state = 0; state < 4; state++)
        for (int prev = 0; prev < 4; prev++) {
            EXPECT_EQ(enabled[state][prev], ChooseButtonImage(true, state, prev))
                << "state " << state << " prevState " << prev << " shows "
                << names[ChooseButtonImage(true, state, prev)];
            EXPECT_EQ(TPB_IMG_DISABLED, ChooseButtonImage(false, state, prev))
                << "disabled, state " << state << " prevState " << prev;
        }
    EXPECT_EQ(TPB_IMG_NORMAL, ChooseButtonImage(true, 7, 1)) << "an unknown state";
    EXPECT_EQ(TPB_IMG_NORMAL, ChooseButtonImage(true, -1, 3)) << "an unknown state";
}

TEST(TpButton, PictureMovesOnePixelOnlyWhileHeldDown) {
    for (int state = 0; state < 4; state++)
        for (int prev = 0; prev < 4; prev++) {
            bool want = state == TPB_PRESSED || (state == TPB_NORMAL && prev == TPB_PRESSED);
            EXPECT_EQ(want, ButtonImageShifted(state, prev)) << "state " << state << " prevState " << prev;
        }
}

TEST(TpStatic, GradientStepsFromLowToHigh) {
    const COLORREF low = RGB(0, 100, 255), high = RGB(200, 100, 55);
    EXPECT_EQ(low, GradientBandColor(low, high, 0, 100));
    // 8.8 fixed point: red steps 512 per band (2.0), blue -512.
    EXPECT_EQ(RGB(100, 100, 155), GradientBandColor(low, high, 50, 100));
    EXPECT_EQ(RGB(198, 100, 57), GradientBandColor(low, high, 99, 100));
    EXPECT_EQ(low, GradientBandColor(low, high, 0, 0)) << "no bands counts as one";
}

TEST(TpStatic, TextFormatFollowsTheStaticStyle) {
    struct Row { LONG style; const wchar_t* text; UINT format; } rows[] = {
        {SS_LEFT, L"a", DT_WORDBREAK},
        {SS_CENTER, L"a", DT_CENTER | DT_WORDBREAK},
        {SS_RIGHT, L"a", DT_RIGHT | DT_WORDBREAK},
        {SS_LEFTNOWORDWRAP, L"a", 0},
        {SS_LEFT, L"a\tb", DT_WORDBREAK | DT_EXPANDTABS},
        {SS_LEFT | SS_CENTERIMAGE, L"a", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {SS_LEFT | SS_CENTERIMAGE, L"a\r\nb", DT_CENTER},
        {SS_RIGHT | SS_NOPREFIX, L"&a", DT_RIGHT | DT_WORDBREAK | DT_NOPREFIX},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.format, LabelTextFormat(r.style, r.text)) << "style 0x" << std::hex << r.style;
}

TEST_F(KitTest, AskingTwiceForOnePictureGivesTheSameEntry) {
    CachedImage* first = LoadImageResource(IDP_KIT_SMALL);
    CachedImage* again = LoadImageResource(IDP_KIT_SMALL, L"PNG");
    CachedImage* other = LoadImageResource(IDP_KIT_OTHER);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    EXPECT_EQ(KIT_SMALL_W, ImageWidth(first));
    EXPECT_EQ(KIT_SMALL_H, ImageHeight(first));
    EXPECT_STREQ(L"PNG", first->resourceType);
    // Another resource language is another entry.
    SetImageCacheLanguage(2052);
    CachedImage* chinese = LoadImageResource(IDP_KIT_SMALL);
    EXPECT_NE(first, chinese);
    EXPECT_EQ(2052, chinese->languageId);
    SetImageCacheLanguage(1033);
    EXPECT_EQ(first, LoadImageResource(IDP_KIT_SMALL));
}

TEST_F(KitTest, APictureThatDoesNotDecodeDrawsNothing) {
    CachedImage* broken = LoadImageResource(IDP_KIT_BROKEN);
    ASSERT_NE(nullptr, broken);
    EXPECT_EQ(0, ImageWidth(broken));
    EXPECT_EQ(0, ImageHeight(broken));
}

TEST_F(KitTest, ButtonKeepsItsPicturesWhenOneIsMissing) {
    CTpButton button;
    CachedImage* img = LoadImageResource(IDP_KIT_SMALL);
    EXPECT_EQ(1, button.SetImages(img, img, img, img));
    EXPECT_EQ(0, button.SetImages(img, nullptr, img, img));
    EXPECT_EQ(0, button.SetImages(nullptr, nullptr, nullptr, nullptr));
}
