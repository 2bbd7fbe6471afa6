// Diagnostic log: the switch, the line format and the open failure.
#include "app/log.h"

#include "test_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

class UiLog : public ::testing::Test {
protected:
    void SetUp() override {
        InitUiLog();
        DeleteFileA("ui_log.log");
        RemoveDirectoryA("ui_log.log");
        saved = gUiLogSwitch;
    }
    void TearDown() override {
        gUiLogSwitch = saved;
        DeleteFileA("ui_log.log");
        RemoveDirectoryA("ui_log.log");
    }
    int saved = 0;
};

TEST_F(UiLog, OffWritesNothingAndReturnsZero) {
    gUiLogSwitch = 0;
    EXPECT_EQ(0, WriteUiLog(L"{UIBindAdapter} new Dravolib\n"));
    EXPECT_EQ(0, WriteUiLog(L"{UIInitAdapter} ret=%d\n", 5));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("ui_log.log"));
}

TEST_F(UiLog, OnWritesPrefixedLineWithCrLf) {
    gUiLogSwitch = 1;
    EXPECT_EQ(0, WriteUiLog(L"{UIBindAdapter} new Dravolib\n"));
    EXPECT_EQ(0, WriteUiLog(L"{UISetIcsConnection} netname=%s\n", L"本地连接"));
    std::string text = ReadLog();
    char tid[16];
    snprintf(tid, sizeof tid, "0x%08X", (unsigned)GetCurrentThreadId());
    std::regex line1("^([0-9]|1[0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\\.[0-9]{3} \\[" + std::string(tid) +
                     "\\] \\{UIBindAdapter\\} new Dravolib\r\n");
    EXPECT_TRUE(std::regex_search(text, line1)) << text;
    // Wide text reaches the file through the ANSI code page (936 here).
    EXPECT_NE(std::string::npos, text.find("netname=\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("\n\n"));
}

TEST_F(UiLog, HourIsNotZeroPadded) {
    gUiLogSwitch = 1;
    WriteUiLog(L"x\n");
    std::string text = ReadLog();
    SYSTEMTIME t;
    GetLocalTime(&t);
    char hour[8];
    snprintf(hour, sizeof hour, "%d:", t.wHour);
    // (A run across midnight or an hour boundary could differ; the check allows one hour either way.)
    char prev[8];
    snprintf(prev, sizeof prev, "%d:", (t.wHour + 23) % 24);
    EXPECT_TRUE(text.rfind(hour, 0) == 0 || text.rfind(prev, 0) == 0) << text;
}

TEST_F(UiLog, UnopenableFileReturnsTheOpenError) {
    gUiLogSwitch = 1;
    ASSERT_TRUE(CreateDirectoryA("ui_log.log", nullptr));  // a folder cannot be opened for append
    EXPECT_NE(0, WriteUiLog(L"{UIBindAdapter} new Dravolib\n"));
}

TEST(StricmpT, ComparesWidenedTextIgnoringCase) {
    EXPECT_EQ(0, stricmp_T("USB\\VID_0BDA&PID_8179", L"usb\\vid_0bda&pid_8179\\00e04c000001", 21));
    EXPECT_EQ(0, stricmp_T("USB\\VID_0BDA&PID_8179", L"USB\\VID_0BDA&PID_8179", 21));
    EXPECT_LT(stricmp_T("USB\\VID_0BDA&PID_8178", L"USB\\VID_0BDA&PID_8179", 21), 0);
    EXPECT_NE(0, stricmp_T("USB\\VID_0BDA&PID_8179", L"PCI\\VEN_10EC", 21));
    EXPECT_NE(0, stricmp_T("USB\\VID_0BDA&PID_8179", L"USB\\VID", 21));  // shorter wide text
}

}  // namespace
