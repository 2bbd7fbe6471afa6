#!/bin/bash
# Benchmark of Q8.exe's start and memory under Wine on this machine (not a
# test; not in ctest), beside tools/bench/hello_dialog.cpp, the smallest
# dialog program, on the demo's set-up (tools/demo-lib.sh) in a folder of its
# own, with one X window per Wine window as the tests run:
#  (a) start to tray icon: from launching Q8.exe (no adapter plugged in) until
#      Wine's tray window shows its icon, and until Q8 logs adding it; beside
#      launching hello_dialog.exe until its window shows. Median of runs.
#  (b) memory with every picture loaded: Q8.exe with the hotspot brought up
#      (the creating animation played, the created picture shown) and then
#      each page shown, beside hello_dialog.exe: the process's private memory
#      as Linux counts it (Private_* of smaps_rollup, Wine's own DLLs
#      included) and the working set as Windows reports it
#      (GetProcessMemoryInfo). Wine 8 answers 0 for another process's private
#      bytes, so the Linux figure stands in for them.
# Q8_BENCH_RUNS (default 5); Q8_BUILD_DIR as for tools/demo.sh; Q8_DEMO_DIR
# defaults to <build>/bench-start.
set -uo pipefail
q8_name=bench-start
runs=${Q8_BENCH_RUNS:-5}
export Q8_DEMO_DIR=${Q8_DEMO_DIR:-${Q8_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}/bench-start}
source "$(dirname "$0")/demo-lib.sh"

if [ -z "${_Q8_BENCH_BUILT:-}" ]; then
  export _Q8_BENCH_BUILT=1
  q8_make Q8 Dravolib cfgmgr32_sim simctl hello_dialog memory_probe
  q8_enter_netns "$@"
fi

ms_of() { awk -F'[:.]' '{ print (($1 * 60 + $2) * 60 + $3) * 1000 + $4 }'; }
now_ms() { date +%H:%M:%S.%3N | ms_of; }
log_ms() { grep -aF -- "$1" "$q8_log" | sed -n "${2:-1}p" | cut -d' ' -f1 | ms_of; }
median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Waits up to 30 s until an X window named $1 is shown (or, with "gone", hidden).
wait_window() {
  local deadline=$((SECONDS + 30))
  while [ $SECONDS -lt $deadline ]; do
    if [ "${2:-}" = gone ]; then visible "$1" || return 0; else visible "$1" && return 0; fi
    sleep 0.02
  done
  return 1
}
tools_dir=$q8_build/tools
hello_start() {
  (cd "$q8_demo" && exec setsid "$q8_root/tools/wine-run" "$tools_dir/hello_dialog.exe") >/dev/null 2>&1 &
  hello_pid=$!
}
hello_stop() { "$q8_root/tools/wine-run" taskkill /im hello_dialog.exe >/dev/null 2>&1; wait "$hello_pid" 2>/dev/null; }
# Linux's private memory (kB) of the Wine process running $1.
unix_private_kb() {
  local p
  p=$(pgrep -f "$1" | head -n 1)
  [ -n "$p" ] && awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s + 0 }' "/proc/$p/smaps_rollup"
}
probe() { "$q8_root/tools/wine-run" "$tools_dir/memory_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
field() { sed -n "s/.*$1=\([0-9]*\).*/\1/p"; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1048576 }'; }

report=$q8_demo/bench-report.txt
: >"$report"
q8_start_session
q8_desktop off
q8_world unplugged

# (a) Start times. A first hello_dialog run warms Wine up and is not counted.
hello_start; wait_window '^hello_dialog$'; hello_stop
declare -a c_tray c_log c_hello
for i in $(seq "$runs"); do
  wait_window 'Wine System Tray' gone || q8_die "run $i: the tray is still shown from the last run"
  t0=$(now_ms)
  q8_start
  wait_window 'Wine System Tray' || q8_die "run $i: no tray icon within 30 s"
  t1=$(now_ms)
  q8_wait_log "{AddTrayIcon}" 10 || q8_die "run $i: Q8 logged no tray icon"
  c_tray+=($((t1 - t0))) c_log+=($(($(log_ms "{AddTrayIcon}") - t0)))
  q8_stop
  t0=$(now_ms)
  hello_start
  wait_window '^hello_dialog$' || q8_die "run $i: hello_dialog showed no window"
  c_hello+=($(($(now_ms) - t0)))
  hello_stop
  q8_say "run $i: Q8 tray icon after ${c_tray[-1]} ms, hello_dialog window after ${c_hello[-1]} ms"
done

# (b) Memory with every picture loaded.
q8_world
q8_start
q8_wait_log "SOFTAP OnSoftapCreated" 60 || q8_die "no hotspot for the memory measurement"
sleep 12  # the created picture shows for 10 s before the usual one
q8_line=$(probe q8)
q8_unix=$(unix_private_kb 'Q8.exe')
q8_say "Q8.exe: $q8_line"
q8_stop
hello_start
wait_window '^hello_dialog$' || q8_die "hello_dialog showed no window"
sleep 1
hello_line=$(probe title hello_dialog)
hello_unix=$(unix_private_kb 'hello_dialog.exe')
hello_stop

row() { printf '  %-40s %14s %14s\n' "$@"; }
{
  echo "== (a) launch to shown, ms, median of $runs runs (one X window each) =="
  row "" "Q8.exe" "hello_dialog"
  row "launch -> icon in Wine's tray / window" "$(echo "${c_tray[@]}" | median)" "$(echo "${c_hello[@]}" | median)"
  row "launch -> Q8 logs adding the icon" "$(echo "${c_log[@]}" | median)" ""
  echo "  runs: Q8 ${c_tray[*]}; hello_dialog ${c_hello[*]}"
  echo
  echo "== (b) memory: Q8 with hotspot up and every page shown, beside hello_dialog =="
  row "" "Q8.exe" "hello_dialog"
  row "private memory (Linux, with Wine's DLLs)" "$(mb $((${q8_unix:-0} * 1024)))" "$(mb $((${hello_unix:-0} * 1024)))"
  row "working set (Windows)" "$(mb "$(echo "$q8_line" | field working_set)")" "$(mb "$(echo "$hello_line" | field working_set)")"
  echo
  echo "  ($("$Q8_WINE" --version 2>/dev/null), $Q8_WINEARCH, $(nproc) cores, $(uname -r); report kept in $report)"
} >>"$report"
cat "$report"
