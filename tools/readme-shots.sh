#!/bin/bash
# Refreshes the pictures at the top of the README from the screenshots that
# the last test run wrote (tools/run-tests.sh first): each is cut to the window
# it shows and written to docs/shots/. Q8_BUILD_DIR as for tools/run-tests.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${Q8_BUILD_DIR:-$root/build}
shots=$build/screenshots
[ -d "$shots" ] || shots=$build-x64/screenshots
[ -d "$shots" ] || { echo "readme-shots: no screenshots; run tools/run-tests.sh first" >&2; exit 1; }
out=$root/docs/shots
mkdir -p "$out"
# name in the test run -> README picture: the screen without Wine's tray and
# menus in its top left corner, trimmed to what is not the black background.
for pair in panel_created:created panel_edit:edit page_guide:guide tray_creating:creating; do
  from=${pair%%:*} to=${pair##*:}
  [ -f "$shots/$from.png" ] || { echo "readme-shots: $shots/$from.png is missing" >&2; exit 1; }
  convert "$shots/$from.png" -fill black -draw "rectangle 0,0,260,90" -bordercolor black -border 1 \
          -fuzz 2% -trim +repage -strip "$out/$to.png"
done
echo "readme-shots: wrote $(ls "$out" | wc -l) pictures to $out"
