// Resource numbers of the Q8 program: dialogs, controls, menu, icons,
// cursor, pictures and the layout strings of the string table.
#pragma once

// Dialog templates and their controls.
#define IDD_Q8_MAIN       102
#define IDC_MAIN_CLOSE    1000
#define IDD_SOFTAP        131
#define IDD_TIPS          133
#define IDD_GUIDE         135
#define IDD_GUIDE_NONE    195
#define IDD_GIF_SHOW      203

// Tray menu and its commands.
#define IDR_TRAY_MENU     167
#define ID_TRAY_OPEN      32777
#define ID_TRAY_ABOUT     32778
#define ID_TRAY_EXIT      32779

// Icons and cursor.
#define IDI_Q8_APP        128
#define IDI_TRAY_CREATE_4 196
#define IDI_TRAY_CREATE_1 197
#define IDI_TRAY_CREATE_2 198
#define IDI_TRAY_CREATE_3 199
#define IDI_TRAY_NORMAL   200
#define IDC_HAND_CURSOR   175

// Pictures (resource type "PNG").
#define IDP_TIPS_BG           157
#define IDP_GUIDE_BG          161
#define IDP_SOFTAP_BG         165
#define IDP_CONFIRM_PRESSED   170
#define IDP_CONFIRM_DISABLED  171
#define IDP_CONFIRM_HOVER     172
#define IDP_CONFIRM_NORMAL    173
#define IDP_CLOSE_PRESSED     176
#define IDP_CLOSE_HOVER       177
#define IDP_CLOSE_NORMAL      178
#define IDP_SOFTAP_CREATED_BG 187
#define IDP_GUIDE_BUTTON      188
#define IDP_PWDSET_DISABLED   189
#define IDP_PWDSET_HOVER      190
#define IDP_PWDSET_NORMAL     191
#define IDP_PWDSET_PRESSED    192
#define IDP_GUIDE_NONE_BG     193
#define IDP_BACK              194
#define IDP_GIF_STRIP         204
#define IDP_GIF_CAPTION       205
#define IDP_HIDE_OFF_DISABLED 207
#define IDP_HIDE_OFF_HOVER    208
#define IDP_HIDE_OFF_NORMAL   209
#define IDP_HIDE_OFF_PRESSED  210
#define IDP_HIDE_ON_DISABLED  211
#define IDP_HIDE_ON_HOVER     212
#define IDP_HIDE_ON_NORMAL    213
#define IDP_HIDE_ON_PRESSED   214

// Strings.
#define IDS_MAIN_TITLE    1500
#define IDS_MAIN_CLOSE_RECT 1001  // "452,10,18,18"

// Texts the user reads: tray tips and balloons, panel and guide labels.
#define IDS_TRAY_NO_CARD        1100
#define IDS_TRAY_NO_INTERNET    1101
#define IDS_TRAY_CREATING       1102
#define IDS_TRAY_CREATE_FAILED  1103
#define IDS_TRAY_ICS_FAILED     1104
#define IDS_TRAY_CREATED        1105
#define IDS_TRAY_INITIALIZING   1106
#define IDS_TRAY_IDLE           1107
#define IDS_STATION_COUNT       1108  // one %d: the connected devices
#define IDS_SOFTAP_CAPTION_NAME 1120
#define IDS_SOFTAP_CAPTION_KEY  1121
#define IDS_SOFTAP_NO_KEY       1122
#define IDS_SOFTAP_RADIO_OPEN   1123
#define IDS_SOFTAP_KEY_HINT     1124
#define IDS_SOFTAP_OPEN_WARNING 1125
#define IDS_SOFTAP_COUNT_SHORT  1126
#define IDS_GUIDE_SAMPLE_NAME   1140
#define IDS_GUIDE_SAMPLE_KEY    1141
