# Sourced by tools/demo.sh and tools/bench-q8.sh: the demo's set-up. Builds the
# programs, prepares the demo folder and its Wine prefix, runs the caller inside
# a private network namespace (root), starts Xvfb, sets up the simulated world,
# starts and stops Q8.exe and reads its log.

q8_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The programs run as built for 32-bit x86; on a machine whose kernel runs no
# 32-bit code (tools/machine-arch) a 64-bit build of the same sources runs
# under 64-bit Wine instead, in a build folder of its own.
if [ "$(bash "$q8_root/tools/machine-arch" 2>/dev/null)" = x86_64 ]; then
  q8_chain=x86_64; export Q8_WINEARCH=win64; q8_build=${Q8_BUILD_DIR:-$q8_root/build}-x64
else
  q8_chain=i686; export Q8_WINEARCH=win32; q8_build=${Q8_BUILD_DIR:-$q8_root/build}
fi
source "$q8_root/tools/wine-arch.sh"
mkdir -p "$q8_build"
q8_build=$(cd "$q8_build" && pwd)
q8_bin=$q8_build/bin
q8_demo=${Q8_DEMO_DIR:-$q8_build/demo}
mkdir -p "$q8_demo"
q8_demo=$(cd "$q8_demo" && pwd)
q8_log=$q8_demo/ui_log.log
q8_pid=
q8_server_pid=
q8_own_xvfb=
# tools/q8sim and tools/wine-run take these; Wine maps the Unix root to Z:.
export Q8_DEMO_DIR=$q8_demo Q8_BIN_DIR=$q8_bin WINEPREFIX=$q8_demo/wineprefix
export Q8SIM_WORLD="Z:${q8_demo//\//\\}\\sim_world.ini"

# A demo or benchmark already running in this folder would lose its Wine to us.
if [ -f "$q8_demo/demo.env" ] && [ -z "${Q8SIM_NETNS:-}" ]; then
  q8_other=$(sed -n 's/^pid=//p' "$q8_demo/demo.env")
  if [ -n "$q8_other" ] && kill -0 "$q8_other" 2>/dev/null; then
    echo "${q8_name:-demo}: already running in $q8_demo (pid $q8_other); stop it first, or set Q8_DEMO_DIR" >&2
    exit 1
  fi
fi

q8_say() { printf '%s: %s\n' "${q8_name:-demo}" "$*"; }
q8_die() { printf '%s: %s\n' "${q8_name:-demo}" "$*" >&2; exit 1; }

# Installs what is missing and builds the given targets (outside the namespace:
# apt needs the network). The build's chatter goes to a file.
q8_make() {
  bash "$q8_root/tools/setup-deps.sh"
  local out=$q8_build/demo-build.log
  q8_say "building $* in $q8_build (output: $out)"
  if ! { cmake -S "$q8_root" -B "$q8_build" -DCMAKE_TOOLCHAIN_FILE="$q8_root/cmake/toolchain-$q8_chain-mingw.cmake" \
           -DCMAKE_BUILD_TYPE=Release && cmake --build "$q8_build" -j"$(nproc)" --target "$@"; } >"$out" 2>&1; then
    tail -n 30 "$out" >&2
    q8_die "build failed"
  fi
  "$q8_root/tools/prepare-prefix" "$WINEPREFIX" || q8_die "cannot prepare the Wine prefix $WINEPREFIX"
}

# Re-runs the calling script (with its arguments) inside a private network
# namespace when root, so that the simulated adapter gets its own interface
# and MAC. Returns only when already inside, or when no namespace can be had.
q8_enter_netns() {
  if [ -n "${Q8SIM_NETNS:-}" ]; then
    [ "$(readlink /proc/self/ns/net)" = "$Q8SIM_NETNS" ] || q8_die "Q8SIM_NETNS is set but this is another namespace"
    return 0
  fi
  if [ "${Q8_DEMO_NETNS:-1}" = 0 ] || [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null; then
    q8_say "NOTE: no private network namespace (that needs root): the simulated adapter gets no network"
    q8_say "      interface, so the default network name cannot come from its simulated MAC 00-E0-4C-81-92-A3;"
    q8_say "      it is borrowed from a real interface of this machine instead."
    return 0
  fi
  # A server of this prefix running outside would keep Wine's view of the network there.
  "$WINESERVER" -k 2>/dev/null || true
  exec unshare -n -- bash -c 'ip link set lo up; export Q8SIM_NETNS=$(readlink /proc/self/ns/net); exec "$@"' \
    q8 "$0" "$@"
}

# Everything that follows runs with one wineserver kept up (fast simctl runs,
# and its pid is known); a display is started when there is none. Records what
# tools/q8sim needs to join the run from another terminal.
q8_start_session() {
  trap q8_stop_session EXIT
  trap 'echo; exit 0' INT
  trap 'exit 143' TERM HUP
  "$WINESERVER" -k 2>/dev/null || true
  # Xvfb and Wine run in sessions of their own, so that Ctrl-C reaches only
  # this script, whose exit trap then ends Q8 before the server and display.
  if [ -z "${DISPLAY:-}" ]; then
    setsid -w "$q8_root/tools/xvfb-fixture" start "$q8_demo" || q8_die "cannot start Xvfb"
    q8_own_xvfb=1
    DISPLAY=$(cat "$q8_demo/display"); export DISPLAY
  fi
  setsid "$WINESERVER" -f -p >/dev/null 2>&1 &
  q8_server_pid=$!
  q8_desktop on
  {
    echo "pid=$$"
    echo "netns=${Q8SIM_NETNS:-}"
    echo "bin=$q8_bin"
    echo "display=$DISPLAY"
    echo "winearch=$Q8_WINEARCH"
  } >"$q8_demo/demo.env"
}

q8_stop_session() {
  trap - EXIT INT TERM HUP
  rm -f "$q8_demo/demo.env"
  q8_say "stopping Q8, Wine${q8_own_xvfb:+ and Xvfb}"
  q8_stop
  "$WINESERVER" -k 2>/dev/null
  [ -n "$q8_server_pid" ] && wait "$q8_server_pid" 2>/dev/null
  [ -n "$q8_own_xvfb" ] && "$q8_root/tools/xvfb-fixture" stop "$q8_demo"
  return 0
}

# "on" (the default): Wine's programs open in one window holding Wine's own
# desktop named Q8, with taskbar and tray. "off": one X window each, as the
# tests run; Xvfb has no window manager, so there hiding a window stalls the
# hiding thread 2 s (winex11 waits for the window to be withdrawn).
q8_desktop() {
  local key='HKCU\Software\Wine\Explorer'
  if [ "$1" = on ]; then
    "$q8_root/tools/wine-run" reg add "$key\Desktops" /v Q8 /d 1280x800 /f >/dev/null 2>&1
    "$q8_root/tools/wine-run" reg add "$key" /v Desktop /d Q8 /f >/dev/null 2>&1
  else
    "$q8_root/tools/wine-run" reg delete "$key" /v Desktop /f >/dev/null 2>&1
  fi
}

q8sim() { "$q8_root/tools/q8sim" "$@" >/dev/null || q8_die "tools/q8sim $* failed"; }

# The world: the PC's wired LAN connection, and adapter 0 plugged in unless
# "unplugged" is given. Without a namespace the adapter takes the GUID of a
# real interface, whose MAC the default name then comes from.
q8_world() {
  q8sim reset
  q8sim ics add "本地连接" "{5C8A0D1E-1111-2222-3333-444455556666}" 3 2
  q8_plug_args=()
  if [ -z "${Q8SIM_NETNS:-}" ]; then
    local dev idx mac
    for dev in /sys/class/net/*; do
      mac=$(cat "$dev/address" 2>/dev/null)
      [ "${dev##*/}" = lo ] || [ -z "$mac" ] || [ "$mac" = 00:00:00:00:00:00 ] && continue
      idx=$(cat "$dev/ifindex")
      q8_plug_args=(--guid "$(printf '{%08X-0000-0000-0000-4E6574446576}' "$idx")")
      q8_say "      The adapter takes the GUID of ${dev##*/} (index $idx, MAC $mac)"
      break
    done
  fi
  [ "${1:-}" = unplugged ] || q8sim plug "${q8_plug_args[@]}"
}

# Installs Q8.exe, the simulated Dravolib.dll and the stand-in cfgmgr32.dll
# beside each other and starts Q8 there with its log on; q8_pid is its process.
q8_start() {
  cp "$q8_bin/Q8.exe" "$q8_bin/Dravolib.dll" "$q8_bin/cfgmgr32.dll" "$q8_demo/"
  rm -f "$q8_log"
  (cd "$q8_demo" && Q8_UI_LOG=1 WINEDLLOVERRIDES=cfgmgr32=n exec setsid "$q8_root/tools/wine-run" "$q8_demo/Q8.exe") \
    >"$q8_demo/q8.out" 2>&1 &
  q8_pid=$!
}

# Ends Q8 as a close message from outside would (Wine's taskkill without /f
# posts WM_CLOSE), then by force if it is still there after 10 s.
q8_stop() {
  [ -n "$q8_pid" ] && kill -0 "$q8_pid" 2>/dev/null || { q8_pid=; return 0; }
  "$q8_root/tools/wine-run" taskkill /im Q8.exe >/dev/null 2>&1
  local i
  for i in $(seq 100); do kill -0 "$q8_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$q8_pid" 2>/dev/null && { q8_say "Q8.exe did not close within 10 s; ending it"; kill "$q8_pid"; }
  wait "$q8_pid" 2>/dev/null
  q8_pid=
}

# The log as UTF-8 (Q8 writes it in the ANSI code page, 936 here), line ends cut.
q8_log_text() { iconv -f GB18030 -t UTF-8 -c "$q8_log" 2>/dev/null | tr -d '\r'; }
q8_log_count() { local n; n=$(grep -acF -- "$1" "$q8_log" 2>/dev/null); echo "${n:-0}"; }

# Waits up to $2 seconds until the log holds text $1 more than $3 times.
q8_wait_log() {
  local deadline=$((SECONDS + $2)) before=${3:-0}
  while [ "$(q8_log_count "$1")" -le "$before" ]; do
    kill -0 "$q8_pid" 2>/dev/null || { q8_say "Q8.exe ended early; $q8_demo/q8.out says:"; cat "$q8_demo/q8.out"; return 1; }
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
