// Resources of the unpacker's test program: a payload like the installer's
// and resource lists of every shape.
#pragma once
#define IDS_UNPACK_SETUP_NAME 137    // "Setup.exe"
#define IDS_UNPACK_ISS_NAME 148      // "Setup.iss"
#define IDS_UNPACK_LIST 147          // "227-137,228-148"
#define IDS_UNPACK_LIST_SINGLE 2101  // "228-148"
#define IDS_UNPACK_LIST_MISSING_RES 2102
#define IDS_UNPACK_LIST_TRAILING 2103
#define IDS_UNPACK_LIST_NO_DASH 2104
#define IDS_UNPACK_LIST_LETTERS 2105
#define IDS_UNPACK_LIST_EMPTY_ITEM 2106
#define IDS_UNPACK_LIST_NO_NAME 2107
#define IDS_UNPACK_LIST_SPACE 2108
#define IDS_UNPACK_LIST_ABSENT 2199  // not in the string table
#define IDR_UNPACK_SETUP 227
#define IDR_UNPACK_ISS 228
