// Resource numbers of the Q8 program.
#pragma once
#define IDI_Q8_APP        128
#define IDD_Q8_MAIN       102
#define IDC_MAIN_CLOSE    1000
#define IDS_MAIN_TITLE    1500
#define IDC_MAIN_STATUS   1100  // plain text of the current page until the skinned pages exist
