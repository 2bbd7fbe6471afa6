#!/bin/sh
# make-delaylib.sh NM DLLTOOL IMPORT_LIB DLL_NAME OUT_LIB
# Turns a system DLL's import library into a delay-load library: the same
# functions, but the DLL is loaded on the first call instead of when the
# program starts. The export list is read from the import library itself;
# 32-bit names lose their leading underscore and dlltool drops the @N.
set -eu
nm=$1 dlltool=$2 implib=$3 dll=$4 out=$5
def=${out%.a}.def
case $(basename "$dlltool") in
i686-*) strip='s/^_//' ;;
*) strip='' ;;
esac
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  "$nm" -g --defined-only "$implib" | awk '$2 == "T" { print $3 }' | sed "$strip" | sort -u
} > "$def"
"$dlltool" --kill-at --input-def "$def" --dllname "$dll" --output-delaylib "$out"
