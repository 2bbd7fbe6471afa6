// Resource numbers of the kit's test program.
#pragma once
#define IDS_KIT_LAYOUT_VALID 2001
#define IDS_KIT_LAYOUT_ZERO 2002
#define IDS_KIT_LAYOUT_THREE 2003
#define IDS_KIT_LAYOUT_BIG 2004
#define IDS_KIT_LAYOUT_LIMIT 2005
#define IDS_KIT_LAYOUT_NEGATIVE 2006
#define IDS_KIT_LAYOUT_TEXT 2007
#define IDS_KIT_LAYOUT_SPACES 2008
#define IDS_KIT_LAYOUT_MISSING 2099  // not in the string table

#define IDP_KIT_SMALL 178  // the 18 x 18 close picture of the utility
#define KIT_SMALL_W 18
#define KIT_SMALL_H 18
#define IDP_KIT_OTHER 194
#define IDP_KIT_BROKEN 3001  // bytes that are no picture
