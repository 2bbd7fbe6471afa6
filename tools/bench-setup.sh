#!/bin/bash
# Benchmark of the installer under Wine on this machine (not a test; not in
# ctest), on the demo's set-up (tools/demo-lib.sh) in a folder of its own,
# inside a Wine virtual desktop as a user's screen would be:
#  (a) unpack: the installer's unpack of its setup package (write each file,
#      hold it, compare it with the resource, delete it) beside CopyFileW of
#      the same two files (tools/bench/unpack_bench.cpp); medians.
#  (b) a whole install: from launching Q8_Setup.exe until its window shows
#      (start, stop of a running Q8, unpack); from the click on "一键安装"
#      until the installed Q8 runs, and until the installer has ended. The
#      installed copy is removed by its quiet uninstaller after each run.
#      Medians of Q8_BENCH_RUNS (default 3).
# Q8_BUILD_DIR as for tools/demo.sh; Q8_DEMO_DIR defaults to <build>/bench-setup.
set -uo pipefail
q8_name=bench-setup
runs=${Q8_BENCH_RUNS:-3}
export Q8_DEMO_DIR=${Q8_DEMO_DIR:-${Q8_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}/bench-setup}
source "$(dirname "$0")/demo-lib.sh"

if [ -z "${_Q8_BENCH_BUILT:-}" ]; then
  export _Q8_BENCH_BUILT=1
  q8_make Q8 Q8_Setup unpack_bench
  q8_enter_netns "$@"
fi

now_ms() { date +%s%3N; }
median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_for() {  # wait_for SECONDS COMMAND...: polls COMMAND every 20 ms
  local deadline=$((SECONDS + $1)); shift
  while [ $SECONDS -lt $deadline ]; do "$@" && return 0; sleep 0.02; done
  return 1
}
q8_running() { pgrep -f 'Ambrel.Q8\.exe' >/dev/null; }
setup_running() { pgrep -f 'Q8_Setup\.exe' >/dev/null; }
uninstall() {
  local u
  u=$(find "$WINEPREFIX/drive_c" -ipath '*/Ambrel/uninstall.exe' 2>/dev/null | head -n 1)
  [ -n "$u" ] && "$q8_root/tools/wine-run" "$u" /S >/dev/null 2>&1
  wait_for 30 bash -c "! pgrep -f 'Ambrel.Q8\.exe' >/dev/null && ! pgrep -f 'Au_\.exe' >/dev/null"
}

report=$q8_demo/bench-report.txt
: >"$report"
q8_start_session

# (a) Unpack against copy.
unpack=$("$q8_root/tools/wine-run" "$q8_build/tools/unpack_bench.exe" 'C:\unpack-bench' 20 2>/dev/null | tr -d '\r')
[ -n "$unpack" ] || q8_die "unpack_bench printed nothing"

# (b) Whole installs. A first run warms Wine up and is not counted.
declare -a c_window c_q8 c_end
for i in $(seq 0 "$runs"); do
  uninstall
  t0=$(now_ms)
  (cd "$q8_demo" && exec setsid "$q8_root/tools/wine-run" "$q8_bin/Q8_Setup.exe") >/dev/null 2>&1 &
  wait_for 60 visible 'Ambrel安装程序' || q8_die "run $i: no installer window within 60 s"
  t1=$(now_ms)
  sleep 0.3  # the picture is pushed right after the window maps
  xdotool mousemove 230 282 click 1
  t2=$(now_ms)
  wait_for 120 q8_running || q8_die "run $i: the installed Q8 did not start within 120 s"
  t3=$(now_ms)
  wait_for 120 bash -c '! pgrep -f "Q8_Setup\.exe" >/dev/null' || q8_die "run $i: the installer did not end within 120 s"
  t4=$(now_ms)
  if [ "$i" -gt 0 ]; then c_window+=($((t1 - t0))) c_q8+=($((t3 - t2))) c_end+=($((t4 - t2))); fi
done
uninstall

{
  echo "== Installer benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $Q8_WINEARCH Wine, virtual desktop =="
  echo "(a) $unpack" | sed '2,$s/^/    /'
  echo "(b) whole install, median of $runs (ms):"
  echo "    launch to installer window (start, stop of Q8, unpack): $(echo "${c_window[*]}" | median)   runs: ${c_window[*]}"
  echo "    click on install to the installed Q8 running:            $(echo "${c_q8[*]}" | median)   runs: ${c_q8[*]}"
  echo "    click on install to the installer ended:                 $(echo "${c_end[*]}" | median)   runs: ${c_end[*]}"
} | tee "$report"
