// The skinned control kit as a user meets it on the virtual display: picture
// buttons under real mouse input, the animation window, and a missing
// picture. kit_probe.exe shows each piece; pixels are read back from the screen.
#include "desktop.h"
#include "harness.h"
#include "kit_probe_res.h"
#include "sim/world.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Where the probe puts its buttons, in its client area (the window's client
// origin is at 100,100 on the screen), and the picture files they show.
const POINT kProbeOrigin = {100, 100};
const RECT kConfirm = {40, 240, 121, 265}, kDisabled = {40, 290, 121, 315};
// A point inside the 80 x 24 confirm pictures, away from the text.
const POINT kInPicture = {6, 12};
const POINT kNeutral = {20, 200};  // on the page, on no button

std::wstring ArtFile(int id) {
    wchar_t dir[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"Q8_ART_DIR", dir, MAX_PATH);
    return std::wstring(L"Z:") + dir + L"/png_" + std::to_wstring(id) + L".png";
}

class KitE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
        ASSERT_TRUE(box.Create(SimFromUtf8(std::string(t->test_suite_name()) + "." + t->name())));
        out = box.Path(L"probe.txt");
        ASSERT_TRUE(E2eXdo("mousemove 5 795")) << "real input is needed for these tests";
    }

    bool StartProbe(const std::wstring& arguments) {
        return probe.Start(E2eBinDir() + L"\\kit_probe.exe", arguments, box.dir);
    }
    std::string Notes() const { return E2eReadFile(out); }
    bool WaitForNote(const char* text) const {
        return E2eWaitUntil([&] { return Notes().find(text) != std::string::npos; });
    }

    CE2eSandbox box;
    CE2eProgram probe;
    std::wstring out;
};

// ---- picture buttons -------------------------------------------------------

class ButtonE2eTest : public KitE2eTest {
protected:
    void SetUp() override {
        KitE2eTest::SetUp();
        ASSERT_TRUE(StartProbe(L"buttons \"" + out + L"\""));
        ASSERT_TRUE(WaitForNote("ready"));
        for (int id : {170, 171, 172, 173}) picture[id] = E2ePicturePixel(ArtFile(id), kInPicture.x, kInPicture.y);
        ASSERT_NE(CLR_INVALID, picture[173]) << "picture files are read from Q8_ART_DIR";
        ASSERT_NE(picture[173], picture[172]) << "hover and normal pictures must differ where the test looks";
        // The page is up once the confirm button shows its normal picture.
        ASSERT_TRUE(ShowsPicture(kConfirm, 173));
    }

    POINT Screen(const RECT& button, POINT at, int shift = 0) const {
        return POINT{kProbeOrigin.x + button.left + at.x + shift, kProbeOrigin.y + button.top + at.y + shift};
    }
    std::string Xy(POINT p) const { return std::to_string(p.x) + " " + std::to_string(p.y); }

    // Waits until the button shows picture `id` (drawn one pixel lower right when `shift`).
    bool ShowsPicture(const RECT& button, int id, int shift = 0) {
        POINT p = Screen(button, kInPicture, shift);
        bool shown = E2eWaitUntil([&] { return E2eScreenPixel(p.x, p.y) == picture[id]; }, 5000);
        if (!shown)
            ADD_FAILURE() << "at " << p.x << "," << p.y << " the screen shows "
                          << E2eColorText(E2eScreenPixel(p.x, p.y)) << ", picture " << id << " has "
                          << E2eColorText(picture[id]);
        return shown;
    }

    COLORREF picture[256] = {};
};

TEST_F(ButtonE2eTest, HoverShowsTheHoverPictureAndLeavingRestoresTheNormalOne) {
    POINT centre = Screen(kConfirm, POINT{40, 12});
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(centre)));
    EXPECT_TRUE(ShowsPicture(kConfirm, 172)) << "hovering";
    E2eScreenshot("kit_buttons_hover");
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(Screen(kConfirm, kNeutral))));
    EXPECT_TRUE(ShowsPicture(kConfirm, 173)) << "after leaving";
    EXPECT_EQ(std::string::npos, Notes().find("clicked")) << Notes();
}

TEST_F(ButtonE2eTest, AClickShowsThePressedPictureAndNotifiesTheParent) {
    POINT centre = Screen(kConfirm, POINT{40, 12});
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(centre) + " mousedown 1"));
    EXPECT_TRUE(ShowsPicture(kConfirm, 170, 1)) << "held down: pressed picture, one pixel lower right";
    E2eScreenshot("kit_buttons_pressed");
    ASSERT_TRUE(E2eXdo("mouseup 1"));
    EXPECT_TRUE(WaitForNote("clicked 11")) << Notes();
    EXPECT_TRUE(ShowsPicture(kConfirm, 172)) << "released over the button: hover picture";
}

TEST_F(ButtonE2eTest, PressLeaveAndReleaseOutsideGivesNoClick) {
    POINT centre = Screen(kConfirm, POINT{40, 12}), outside = Screen(kConfirm, kNeutral);
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(centre) + " mousedown 1"));
    ASSERT_TRUE(ShowsPicture(kConfirm, 170, 1));
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(outside)));
    // The hover poll sees the mouse gone: normal state after pressed, which
    // still shows the pressed picture, held down.
    ASSERT_TRUE(WaitForNote("state 1 prev 3")) << Notes();
    EXPECT_TRUE(ShowsPicture(kConfirm, 170, 1)) << "left while held";
    ASSERT_TRUE(E2eXdo("mouseup 1"));
    EXPECT_TRUE(WaitForNote("dropped")) << "the parent hears of the dropped press; notes: " << Notes();
    EXPECT_EQ(std::string::npos, Notes().find("clicked")) << Notes();
    // A later click still works: the capture was let go. It comes soon after
    // the first press, so the system may count it as the second of a double click.
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(centre) + " click 1"));
    EXPECT_TRUE(WaitForNote("clicked 11")) << Notes();
}

TEST_F(ButtonE2eTest, ADisabledButtonShowsItsDisabledPictureEvenUnderTheMouse) {
    EXPECT_TRUE(ShowsPicture(kDisabled, 171));
    ASSERT_TRUE(E2eXdo("mousemove " + Xy(Screen(kDisabled, POINT{40, 12})) + " click 1"));
    EXPECT_TRUE(ShowsPicture(kDisabled, 171)) << "hovered and clicked";
    E2eScreenshot("kit_buttons");
    EXPECT_EQ(std::string::npos, Notes().find("clicked 12")) << Notes();
}

// ---- the animation window ---------------------------------------------------

class GifE2eTest : public KitE2eTest {
protected:
    HWND StartGif(const wchar_t* placement) {
        if (!StartProbe(L"gif \"" + out + L"\" " + placement)) return nullptr;
        if (!WaitForNote("placed")) return nullptr;
        HWND found = nullptr;
        E2eWaitUntil([&] { return (found = E2eLayeredWindowOf(probe.pid())) != nullptr; });
        return found;
    }
    std::string RectText(const RECT& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
};

TEST_F(GifE2eTest, ALayeredTopMostSquareCentredOnItsWindow) {
    HWND gif = StartGif(L"300 200 400 300");
    ASSERT_NE(nullptr, gif);
    RECT rc;
    GetWindowRect(gif, &rc);
    // Centre of 300,200 400 x 300 is 500,350; a 198 x 198 frame starts 99 up and left of it.
    EXPECT_EQ("401,251,599,449", RectText(rc));
    LONG ex = GetWindowLongW(gif, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED) << std::hex << ex;
    EXPECT_TRUE(ex & WS_EX_TOPMOST) << std::hex << ex;
    EXPECT_TRUE(IsWindowVisible(gif));
    // Shaped by the picture's alpha: the corner shows the page below, the middle the frame.
    ASSERT_TRUE(WaitForNote("frame 3"));
    E2eScreenshot("kit_animation");
    COLORREF corner = E2eScreenPixel(rc.left + 1, rc.top + 1), owner = E2eScreenPixel(rc.left - 20, rc.top + 20);
    EXPECT_EQ(owner, corner) << "a transparent corner shows the window beneath";
    EXPECT_NE(owner, E2eScreenPixel(rc.left + 99, rc.top + 150)) << "the frame itself is drawn";
}

TEST_F(GifE2eTest, AWindowNeverPlacedCentresTheAnimationOnTheWorkArea) {
    HWND gif = StartGif(L"0 0 0 0");
    ASSERT_NE(nullptr, gif);
    RECT rc, work;
    GetWindowRect(gif, &rc);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = (work.right - work.left) / 2 + work.left - 99, y = (work.bottom - work.top) / 2 + work.top - 99;
    EXPECT_EQ(RectText(RECT{x, y, x + 198, y + 198}), RectText(rc)) << "work area " << RectText(work);
}

TEST_F(GifE2eTest, FramesRunRoundFromTheLastToTheFirst) {
    ASSERT_NE(nullptr, StartGif(L"300 200 400 300"));
    ASSERT_TRUE(WaitForNote("frame 23\nframe 0\n")) << Notes().substr(0, 400);
    // Every step goes to the next frame.
    std::string notes = Notes();
    int previous = -1, steps = 0;
    for (size_t pos = notes.find("frame "); pos != std::string::npos; pos = notes.find("frame ", pos + 1)) {
        int frame = atoi(notes.c_str() + pos + 6);
        if (previous >= 0 && frame != previous) {
            EXPECT_EQ((previous + 1) % 24, frame) << "after frame " << previous;
            steps++;
        }
        previous = frame;
    }
    EXPECT_GE(steps, 24);
}

TEST_F(GifE2eTest, EnterAndEscapeDoNotCloseIt) {
    HWND gif = StartGif(L"300 200 400 300");
    ASSERT_NE(nullptr, gif);
    SetForegroundWindow(gif);
    ASSERT_TRUE(E2eXdo("mousemove 500 350 key Return Escape F1"));
    std::string before = Notes();
    // Frames keep coming after the keys, from the same window.
    ASSERT_TRUE(E2eWaitUntil([&] { return Notes().size() > before.size() + 40; }));
    EXPECT_TRUE(IsWindow(gif) && IsWindowVisible(gif));
    DWORD code = 0;
    EXPECT_FALSE(probe.WaitForExit(0, &code)) << "the probe ended with " << code;
}

TEST_F(GifE2eTest, DraggingThePictureMovesIt) {
    HWND gif = StartGif(L"300 200 400 300");
    ASSERT_NE(nullptr, gif);
    // At a person's pace: the move starts from a posted message, after the press.
    ASSERT_TRUE(E2eXdo("mousemove 500 350 sleep 0.3 mousedown 1 sleep 0.3 mousemove 530 370 sleep 0.3 "
                       "mousemove 600 400 sleep 0.3 mouseup 1"));
    RECT rc = {};
    EXPECT_TRUE(E2eWaitUntil([&] {
        GetWindowRect(gif, &rc);
        return rc.left == 501 && rc.top == 301;
    }, 5000)) << "window at " << RectText(rc) << " after a drag of +100,+50";
}

// ---- the picture cache ------------------------------------------------------

TEST_F(KitE2eTest, AMissingPictureEndsTheProgramWithItsNumber) {
    ASSERT_TRUE(StartProbe(L"missing 999"));
    HWND box = nullptr;
    ASSERT_TRUE(E2eWaitUntil([&] {
        std::vector<HWND> found = E2eWindowsOf(probe.pid(), L"#32770");
        box = found.empty() ? nullptr : found[0];
        return box != nullptr && IsWindowVisible(box);
    }));
    wchar_t text[128] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, ARRAYSIZE(text));  // the message box's text control
    EXPECT_STREQ(L"Image Resource Error:999", text);
    E2eScreenshot("kit_missing_picture");
    // The user presses OK.
    RECT ok;
    GetWindowRect(GetDlgItem(box, IDOK), &ok);
    ASSERT_TRUE(E2eXdo("mousemove " + std::to_string((ok.left + ok.right) / 2) + " " +
                       std::to_string((ok.top + ok.bottom) / 2) + " click 1"));
    DWORD code = 0;
    ASSERT_TRUE(probe.WaitForExit(E2E_DEADLINE_MS, &code));
    EXPECT_EQ(1u, code);
}

}  // namespace
