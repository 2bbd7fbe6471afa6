#!/bin/bash
# The README's first command: Q8.exe under Wine with a simulated adapter
# plugged in, until its hotspot is up; then what it shows, and Q8 keeps
# running (drive it with tools/q8sim from another terminal) until Ctrl-C.
#   --once (or Q8_DEMO_ONCE=1)  stop after showing the result, exit 0
# Folders: Q8_BUILD_DIR (default <repo>/build), Q8_DEMO_DIR (default <build>/demo).
# Q8_DEMO_NETNS=0: no private network namespace, even as root.
set -uo pipefail
q8_name=demo
once=${Q8_DEMO_ONCE:-0}
for arg in "$@"; do
  case $arg in
  --once) once=1 ;;
  *) sed -n '2,7s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
done
source "$(dirname "$0")/demo-lib.sh"

if [ -z "${_Q8_DEMO_STARTED:-}" ]; then
  export _Q8_DEMO_STARTED=$(date +%s)
  q8_make Q8 Dravolib cfgmgr32_sim simctl
  q8_enter_netns "$@"
fi
q8_start_session
q8_world
ini=$(find "$WINEPREFIX/drive_c/users" -ipath '*/AppData/Roaming/Vorn/config.ini' 2>/dev/null | head -n 1)
stored=${ini:+" (stored by an earlier run; remove $q8_demo for a fresh one)"}
q8_say "starting Q8.exe in $q8_demo (log: ui_log.log there)"
q8_start
if ! q8_wait_log "SOFTAP OnSoftapCreated" 120; then
  q8_say "the hotspot did not come up within 120 s; last log lines:"
  q8_log_text | tail -n 25
  exit 1
fi
q8_wait_log "{RefreshTray} state=8" 10   # the tray follows within its 2 s refresh
took=$(($(date +%s) - _Q8_DEMO_STARTED))
sleep 1                                  # let the main window finish painting
shot=$q8_demo/screenshot.png
import -window root "$shot" 2>/dev/null || shot="(import failed on $DISPLAY)"

ssid=$(q8_log_text | sed -n 's/^.*{UISetSoftApMode} ssid=//p' | tail -n 1)
key=$(q8_log_text | sed -n 's/^.*{UISetSoftApMode} psk=//p' | tail -n 1)
[ -n "$ini" ] || ini=$(find "$WINEPREFIX/drive_c/users" -ipath '*/AppData/Roaming/Vorn/config.ini' 2>/dev/null | head -n 1)
winini='C:'${ini#"$WINEPREFIX/drive_c"}
cat <<EOF

== The hotspot is up, $took s after the start ==
  network name  $ssid$stored
  key           $key
  settings      ${winini//\//\\}
                = $ini
$(iconv -f GB18030 -t UTF-8 -c "$ini" 2>/dev/null | tr -d '\r' | sed -n '/^\[SOFTAP\]/,/^\[/p' | sed '/^$/d; 2,${/^\[/d}; s/^/                  /')
  screenshot    $shot
  log           $q8_log, its last lines
                (without the internet watch's connection checks, 20 lines a second):
$(q8_log_text | grep -vE '\{UIQueryIcsConnection\} ret=0|\{CommonSelectIcsConnectionEx\} icsGuid name' | tail -n 10 | sed 's/^/    /')
EOF

[ "$once" = 1 ] && exit 0

echo
echo "== Drive the simulated world from another terminal${Q8SIM_NETNS:+ (as root)}, in $q8_root =="
[ "$q8_demo" = "$q8_root/build/demo" ] || echo "  export Q8_DEMO_DIR=$q8_demo"
cat <<EOF
  tools/q8sim stations 2      two devices join: the tray tip counts them
  tools/q8sim unplug          the adapter leaves; tools/q8sim plug brings it back
  tools/q8sim show            the world file as it stands
  tools/q8sim calls 5         the last library calls Q8 made
  tools/q8sim help            every command (docs/simulator.md)
EOF
[ -n "${Q8SIM_NETNS:-}" ] && cat <<EOF
  tools/q8sim joins the demo's private network namespace by itself (nsenter -t $$ -n);
  a shell inside it: nsenter -t $$ -n bash
EOF
echo
q8_say "Q8 runs; what it logs about the adapter, events and tray follows. Ctrl-C stops Q8, Wine and Xvfb."

# Follow the log: a few telling lines, not every poll.
seen=$(wc -l <"$q8_log")
while kill -0 "$q8_pid" 2>/dev/null; do
  sleep 1
  now=$(wc -l <"$q8_log")
  [ "$now" -gt "$seen" ] || continue
  sed -n "$((seen + 1)),${now}p" "$q8_log" | iconv -f GB18030 -t UTF-8 -c | tr -d '\r' |
    grep -E '\{(RefreshTray|EventManage|ControlNicChange|ThreadSetSoftApAndIcs)\}|SOFTAP OnSoftapCreated' | sed 's/^/  /'
  seen=$now
done
q8_say "Q8.exe ended"
