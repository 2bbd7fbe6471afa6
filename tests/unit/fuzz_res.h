// Resource lists of the fuzz program's own string table.
#pragma once
#define IDS_FUZZ_NAME_A 301            // "a.bin"
#define IDS_FUZZ_NAME_B 302            // "b.bin"
#define IDS_FUZZ_NAME_LONG 303         // a file name of 300 characters
#define IDS_FUZZ_LIST_BAD_LAST 310     // good items, then a bad one
#define IDS_FUZZ_LIST_NO_NAME_LAST 311 // good items, then a missing file-name string
#define IDS_FUZZ_LIST_LONG 312         // 120 good items, more than 512 characters
#define IDS_FUZZ_LIST_NUL 313          // a good item, a zero character, more text
#define IDS_FUZZ_LIST_LONG_NAME 314    // an item naming the 300-character file name
#define IDS_FUZZ_LIST_CUT_ID 315       // 511 characters whose last id is cut by a 512 buffer
