# Sourced: picks the Wine loader and server for Q8_WINEARCH (win32 or win64)
# (default: what this machine runs, tools/machine-arch) and exports WINEARCH,
# WINELOADER, WINESERVER and Q8_WINE accordingly.
# Debian's 64-bit Wine lives beside the 32-bit one in /usr/lib/wine.
if [ -z "${Q8_WINEARCH:-}" ]; then
  case $(bash "$(dirname "${BASH_SOURCE[0]}")/machine-arch") in x86_64) Q8_WINEARCH=win64 ;; *) Q8_WINEARCH=win32 ;; esac
fi
export Q8_WINEARCH WINEARCH=$Q8_WINEARCH
if [ "$WINEARCH" = win64 ]; then
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
else
  export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver
fi
Q8_WINE=$WINELOADER
