#!/bin/bash
# Benchmark of Q8.exe under Wine on this machine (not a test; not in ctest),
# on the demo's set-up (tools/demo-lib.sh) in a folder of its own:
#  (a) plug to hotspot: from plugging the simulated adapter (Q8 running, past
#      its first check, no adapter) to "SOFTAP OnSoftapCreated", over several
#      runs, beside the floor that Q8's own waits impose; once inside Wine's
#      own desktop as the demo runs, once with one X window each as the tests;
#  (b) CPU time per minute of Q8.exe (hotspot up, two stations) and of the
#      wineserver, beside the same for tools/bench/idle_loop.cpp (a program
#      that only waits) and tools/bench/floor_loop.cpp (the calls the design
#      demands with the hotspot up, through the same library, and nothing
#      else), and Q8's CPU as a ratio to the floor's;
#  (c) private memory (as Linux counts it), handles and threads of Q8.exe
#      after the first plug to hotspot, and after Q8_BENCH_CYCLES (default
#      200; 0 skips it) unplug-plug cycles more.
# Q8_BENCH_RUNS (default 5), Q8_BENCH_SECONDS (default 60); Q8_BUILD_DIR as for
# tools/demo.sh; Q8_DEMO_DIR defaults to <build>/bench.
set -uo pipefail
q8_name=bench
runs=${Q8_BENCH_RUNS:-5}
secs=${Q8_BENCH_SECONDS:-60}
export Q8_DEMO_DIR=${Q8_DEMO_DIR:-${Q8_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}/bench}
source "$(dirname "$0")/demo-lib.sh"

if [ -z "${_Q8_BENCH_BUILT:-}" ]; then
  export _Q8_BENCH_BUILT=1
  q8_make Q8 Dravolib cfgmgr32_sim simctl idle_loop floor_loop memory_probe
  q8_enter_netns "$@"
fi

# Milliseconds since midnight: of a log line's "H:MM:SS.mmm", and of now.
ms_of() { awk -F'[:.]' '{ print (($1 * 60 + $2) * 60 + $3) * 1000 + $4 }'; }
now_ms() { date +%H:%M:%S.%3N | ms_of; }
# Time of the Nth log line holding text $1.
log_ms() { grep -aF -- "$1" "$q8_log" | sed -n "${2}p" | cut -d' ' -f1 | ms_of; }
# CPU ticks (user + system, all threads) of process $1.
ticks() { sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ t = $12 + $13 } END { print t + 0 }'; }
hz=$(getconf CLK_TCK)
# The other Windows processes of this prefix (services, explorer, ...).
prefix_pids() {
  local p
  for p in /proc/[0-9]*; do
    p=${p#/proc/}
    case " $* " in *" $p "*) continue ;; esac
    case $(readlink "/proc/$p/exe" 2>/dev/null) in */wine*) ;; *) continue ;; esac
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
}
sum_ticks() { local t=0 p; for p in "$@"; do t=$((t + $(ticks "$p"))); done; echo $t; }
median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

report=$q8_demo/bench-report.txt
: >"$report"
row() { printf '  %-38s' "$1"; shift; printf ' %6s' "$@"; echo; }
sec() { awk -v m="$1" 'BEGIN { printf "%.2f s", m / 1000 }'; }
threads() { awk '/^Threads:/ { print $2 }' "/proc/$q8_pid/status"; }
# Internet-watch passes a second (each logs one connection query).
watch_rate() {
  local w0 w1
  w0=$(q8_log_count "{UIQueryIcsConnection} ret="); sleep 5; w1=$(q8_log_count "{UIQueryIcsConnection} ret=")
  echo $(((w1 - w0) / 5))
}

# (a) A fresh Q8 with no adapter, past its first check; then $runs times:
# plug, wait for the hotspot, unplug, wait for the no-adapter state.
plug_runs() {  # $1 = title of the table
  local i created events modes t0 t1 tw ts tc nocard
  local -a c_sim c_watch c_init c_ap c_total
  q8_world unplugged
  q8_start
  q8_wait_log "{ControlNicChange} SOFTAP_NoCard" 30 || q8_die "Q8 did not reach its first check"
  for i in $(seq "$runs"); do
    sleep "0.$(printf %03d $((RANDOM % 1000)))"  # not in step with the watch's 1 s poll
    created=$(q8_log_count "SOFTAP OnSoftapCreated")
    events=$(q8_log_count "{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE")
    modes=$(q8_log_count "{UISetSoftApMode} ret=")
    t0=$(now_ms); q8sim plug "${q8_plug_args[@]}"; t1=$(now_ms)
    q8_wait_log "SOFTAP OnSoftapCreated" 60 "$created" || q8_die "run $i: no hotspot within 60 s"
    tw=$(log_ms "{EventManage} WFF_EVENT_NIC_CONTROL_CHANGE" $((events + 1)))
    ts=$(log_ms "{UISetSoftApMode} ret=" $((modes + 1)))
    tc=$(log_ms "SOFTAP OnSoftapCreated" $((created + 1)))
    c_sim+=($((t1 - t0))) c_watch+=($((tw - t1))) c_init+=($((ts - tw))) c_ap+=($((tc - ts))) c_total+=($((tc - t1)))
    q8_say "run $i: $((tc - t1)) ms from plug to SOFTAP_Created"
    nocard=$(q8_log_count "{ControlNicChange} SOFTAP_NoCard")
    q8sim unplug
    q8_wait_log "{ControlNicChange} SOFTAP_NoCard" 30 "$nocard" || q8_die "run $i: unplug not seen"
  done
  local n_threads n_watch
  n_threads=$(threads); n_watch=$(watch_rate)
  {
    echo
    echo "== (a) plug to SOFTAP_Created, ms: $1 =="
    row "" $(seq -f 'run%g' "$runs") median
    row "simctl plug itself (not counted)" "${c_sim[@]}" "$(echo "${c_sim[@]}" | median)"
    row "plug done -> device watch event" "${c_watch[@]}" "$(echo "${c_watch[@]}" | median)"
    row "watch event -> UISetSoftApMode" "${c_init[@]}" "$(echo "${c_init[@]}" | median)"
    row "UISetSoftApMode -> OnSoftapCreated" "${c_ap[@]}" "$(echo "${c_ap[@]}" | median)"
    row "plug done -> OnSoftapCreated" "${c_total[@]}" "$(echo "${c_total[@]}" | median)"
    echo "  after these $runs cycles Q8.exe has $n_threads threads and makes $n_watch connection checks a second"
  } >>"$report"
  q8_stop
  mv "$q8_log" "$q8_demo/ui_log-plugs-$2.log"
}

measure() {  # $1 = program pid; prints "program server rest" CPU ms per minute
  local others p0 s0 r0 p1 s1 r1
  others=$(prefix_pids "$1" "$q8_server_pid")
  p0=$(ticks "$1"); s0=$(ticks "$q8_server_pid"); r0=$(sum_ticks $others)
  sleep "$secs"
  p1=$(ticks "$1"); s1=$(ticks "$q8_server_pid"); r1=$(sum_ticks $others)
  echo $(((p1 - p0) * 60000 / hz / secs)) $(((s1 - s0) * 60000 / hz / secs)) $(((r1 - r0) * 60000 / hz / secs))
}

# (b) A fresh Q8 with the hotspot up and two stations; then idle_loop alone.
cpu_runs() {
  local q8_cpu q8_srv q8_rest idle_cpu idle_srv idle_rest idle_pid n_threads n_watch
  local floor_cpu floor_srv floor_rest floor_pid
  q8sim plug "${q8_plug_args[@]}"
  q8sim stations 2
  q8_start
  q8_wait_log "SOFTAP OnSoftapCreated" 60 || q8_die "no hotspot for the CPU measurement"
  q8_wait_log "{UIQuerySoftApStaList} ret=0, num=2" 10
  sleep 3
  n_threads=$(threads)
  q8_say "measuring Q8.exe for $secs s"
  read -r q8_cpu q8_srv q8_rest < <(measure "$q8_pid")
  n_watch=$(watch_rate)
  q8_stop
  (cd "$q8_demo" && exec setsid "$q8_root/tools/wine-run" "$q8_build/tools/idle_loop.exe") >/dev/null 2>&1 &
  idle_pid=$!
  sleep 5
  q8_say "measuring idle_loop.exe for $secs s"
  read -r idle_cpu idle_srv idle_rest < <(measure "$idle_pid")
  kill "$idle_pid" 2>/dev/null
  wait "$idle_pid" 2>/dev/null
  # Beside the library and the stand-in cfgmgr32.dll that Q8 used, started as Q8 is.
  cp "$q8_build/tools/floor_loop.exe" "$q8_demo/"
  (cd "$q8_demo" && WINEDLLOVERRIDES=cfgmgr32=n exec setsid "$q8_root/tools/wine-run" "$q8_demo/floor_loop.exe") \
    >"$q8_demo/floor.out" 2>&1 &
  floor_pid=$!
  sleep 5
  kill -0 "$floor_pid" 2>/dev/null || q8_die "floor_loop.exe ended at once (no library or no adapter?)"
  q8_say "measuring floor_loop.exe for $secs s"
  read -r floor_cpu floor_srv floor_rest < <(measure "$floor_pid")
  "$q8_root/tools/wine-run" taskkill /f /im floor_loop.exe >/dev/null 2>&1
  wait "$floor_pid" 2>/dev/null
  {
    echo
    echo "== (b) CPU time per minute (user + system over $secs s; inside Wine's own desktop) =="
    printf '  %-34s %16s %16s %16s\n' "" "Q8.exe" "idle_loop.exe" "floor_loop.exe"
    printf '  %-34s %16s %16s %16s\n' "the program" "$(sec "$q8_cpu")" "$(sec "$idle_cpu")" "$(sec "$floor_cpu")"
    printf '  %-34s %16s %16s %16s\n' "wineserver" "$(sec "$q8_srv")" "$(sec "$idle_srv")" "$(sec "$floor_srv")"
    printf '  %-34s %16s %16s %16s\n' "the prefix's other Wine processes" "$(sec "$q8_rest")" "$(sec "$idle_rest")" "$(sec "$floor_rest")"
    echo "  Q8.exe against the floor (program + wineserver): $(awk -v a=$((q8_cpu + q8_srv)) -v b=$((floor_cpu + floor_srv)) 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }') times (target: within 1.2)"
    echo "  Q8.exe: hotspot up, 2 stations, fresh start: $n_threads threads, $n_watch connection checks a second"
  } >>"$report"
}

# (c) Memory, handles and threads after the first bring-up and after many
# unplug-plug cycles.
unix_private_kb() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s + 0 }' "/proc/$q8_pid/smaps_rollup"; }
# Wine 8 answers 0 handles for another process; that shows as "n/a".
q8_handles() {
  local h
  h=$("$q8_root/tools/wine-run" "$q8_build/tools/memory_probe.exe" title Ambrel 2>/dev/null | tr -d '\r' | sed -n 's/.*handles=\([0-9]*\).*/\1/p')
  [ -n "$h" ] && [ "$h" != 0 ] && echo "$h" || echo n/a
}
cycle_runs() {
  local cycles=${Q8_BENCH_CYCLES:-200} i created nocard kb1 h1 t1 kb2 h2 t2
  [ "$cycles" -gt 0 ] || return 0
  q8sim plug "${q8_plug_args[@]}"
  q8sim stations 2
  q8_start
  q8_wait_log "SOFTAP OnSoftapCreated" 60 || q8_die "no hotspot for the cycle measurement"
  sleep 5
  kb1=$(unix_private_kb); h1=$(q8_handles); t1=$(threads)
  q8_say "$cycles unplug-plug cycles (after one: ${kb1} kB private, $h1 handles, $t1 threads)"
  for i in $(seq "$cycles"); do
    nocard=$(q8_log_count "{ControlNicChange} SOFTAP_NoCard")
    created=$(q8_log_count "SOFTAP OnSoftapCreated")
    q8sim unplug
    q8_wait_log "{ControlNicChange} SOFTAP_NoCard" 30 "$nocard" || q8_die "cycle $i: unplug not seen"
    q8sim plug "${q8_plug_args[@]}"
    q8_wait_log "SOFTAP OnSoftapCreated" 60 "$created" || q8_die "cycle $i: no hotspot within 60 s"
    [ $((i % 50)) -eq 0 ] && q8_say "cycle $i: $(unix_private_kb) kB private, $(q8_handles) handles, $(threads) threads"
  done
  sleep 5
  kb2=$(unix_private_kb); h2=$(q8_handles); t2=$(threads)
  {
    echo
    echo "== (c) Q8.exe after the first bring-up and after $cycles unplug-plug cycles more (inside Wine's own desktop) =="
    printf '  %-34s %12s %12s\n' "" "after 1" "after $((cycles + 1))"
    printf '  %-34s %12s %12s\n' "private memory (Linux, kB)" "$kb1" "$kb2"
    printf '  %-34s %12s %12s\n' "handles (GetProcessHandleCount)" "$h1" "$h2"
    printf '  %-34s %12s %12s\n' "threads" "$t1" "$t2"
  } >>"$report"
  q8_stop
}

q8_start_session
plug_runs "inside Wine's own desktop, as the demo runs" desktop
cpu_runs
cycle_runs
q8_desktop off
plug_runs "one X window each, as the tests run (Xvfb, no window manager: hiding a window waits 2 s)" x11
{
  echo
  echo "  floor of Q8's own waits: 300 ms before the first MAC try + 1000 ms after UISetSoftApMode"
  echo "  = 1300 ms, plus 0..1000 ms until the device watch's next 1 s poll: 1300..2300 ms"
  echo "  ($(wine --version 2>/dev/null), $(nproc) cores, $(uname -r); report kept in $report)"
} >>"$report"
cat "$report"
