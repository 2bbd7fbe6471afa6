// Resource numbers of the kit probe.
#pragma once
#define IDD_PROBE_BUTTONS 100
#define IDD_PROBE_OWNER 101
#define IDD_PROBE_GIF 203
#define IDC_PROBE_CONFIRM 11
#define IDC_PROBE_DISABLED 12
#define IDC_PROBE_HIDE 13
#define IDC_PROBE_LABEL 14
#define IDC_PROBE_GRADIENT 15
#define IDC_PROBE_3D 16
// Pictures of the utility used by the probe (see res/q8_resource.h).
#define IDP_PROBE_BACKGROUND 165
#define IDP_PROBE_STRIP 204
#define IDP_PROBE_CAPTION 205
#define IDC_PROBE_CURSOR 175
#define IDP_PROBE_MISSING 999
