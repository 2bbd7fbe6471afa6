// Resource ids of the installer Q8_Setup: dialogs, controls, strings and the
// payload. Pictures are named by number in setup_art.rc.
#pragma once

// Dialogs.
#define IDD_INSTARO 102        // the installer window
#define IDD_NIC_MSGBOX 170     // the skinned message box
#define IDD_PROGRESS 206       // the progress animation

// Installer window controls.
#define IDC_INSTALL 1000
#define IDC_CLOSE 1001
#define IDC_GUIDE 1002

// Message box controls.
#define IDC_MSG_NO 1003
#define IDC_MSG_ICON 1007
#define IDC_MSG_YES 1008
#define IDC_MSG_OK 1009
#define IDC_MSG_CANCEL 1010
#define IDC_MSG_RADIO_MIN 1011
#define IDC_MSG_RADIO_CLOSE 1012
#define IDC_MSG_NOASK 1014
#define IDC_MSG_TEXT 1015
#define IDC_MSG_CAPTION 1016

// Icon and cursor.
#define IDI_SETUP 128
#define IDC_HAND_CURSOR 166

// Strings: layout rectangles "x,y,w,h", fonts, colours, names.
#define IDS_CLOSE_RECT 102
#define IDS_INSTALL_RECT 103
#define IDS_GUIDE_RECT 104
#define IDS_WINDOW_TITLE 105
#define IDS_MSG_FONT_NORMAL 120   // point size
#define IDS_MSG_FONT_BOLD 123     // point size
#define IDS_MSG_RADIO_COLOR 125   // "r,g,b"
#define IDS_MSG_RADIO_MIN 126
#define IDS_MSG_RADIO_CLOSE 127
#define IDS_MSG_NOASK 128
#define IDS_MSG_ICON_RECT 129
#define IDS_MSG_RADIO_MIN_RECT 131
#define IDS_MSG_RADIO_CLOSE_RECT 132
#define IDS_MSG_NOASK_RECT 133
#define IDS_MSG_LEFT_BUTTON_RECT 135
#define IDS_MSG_CAPTION_RECT 136
#define IDS_SETUP_FILE 137
#define IDS_QUIT_QUESTION 139
#define IDS_WORK_FOLDER 140
#define IDS_SETUP_LOG_FILE 141
#define IDS_UTILITY_MUTEX 142
#define IDS_UTILITY_TITLE 143
#define IDS_PRODUCT_URL 146
#define IDS_PAYLOAD_LIST 147
#define IDS_RESPONSE_FILE 148
#define IDS_MSG_RIGHT_BUTTON_RECT 201
#define IDS_MSG_TEXT_RECT 202
#define IDS_MSG_SINGLE_BUTTON_RECT 203
#define IDS_ADMIN_QUESTION 150

// The payload: the setup program and its response file.
#define RES_TYPE_PAYLOAD L"UTILITY"
#define IDR_SETUP_EXE 227
#define IDR_SETUP_ISS 228
