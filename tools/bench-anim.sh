#!/bin/bash
# Benchmark of the "creating" animation window (not a test; not in ctest):
# frames per second reached at 50 ms per frame, and CPU time per second of
# animation, beside the same window that shows its first frame and then never
# advances. Runs tests/e2e's kit_probe.exe on a virtual display of its own.
# Q8_BENCH_SECONDS (default 20) per run; Q8_BUILD_DIR as for tools/run-tests.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${Q8_BENCH_SECONDS:-20}
bash "$root/tools/setup-deps.sh"
if [ "$(bash "$root/tools/machine-arch")" = x86 ]; then
  chain=i686; export Q8_WINEARCH=win32; build=${Q8_BUILD_DIR:-$root/build}
else
  chain=x86_64; export Q8_WINEARCH=win64; build=${Q8_BUILD_DIR:-$root/build}-x64
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$chain-mingw.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target kit_probe >/dev/null
dir=$build/bench-anim
mkdir -p "$dir"
export WINEPREFIX=$dir/wineprefix
"$root/tools/prepare-prefix" "$WINEPREFIX"
source "$root/tools/wine-arch.sh"
"$root/tools/xvfb-fixture" start "$dir"
trap '"$WINESERVER" -k 2>/dev/null; "$root/tools/xvfb-fixture" stop "$dir"' EXIT
DISPLAY=$(cat "$dir/display"); export DISPLAY

run() {  # run NAME DELAY_MS: one probe run; prints its "done" line
  local out=$dir/$1.txt
  rm -f "$out"
  "$root/tools/wine-run" "$build/bin/kit_probe.exe" gif "Z:${out//\//\\}" 300 200 400 300 "$secs" "$2" >/dev/null 2>&1
  grep -a '^done' "$out" || { echo "bench-anim: the $1 run gave no result" >&2; exit 1; }
}
field() { sed -n "s/.*$1=\([0-9]*\).*/\1/p"; }

echo "animation window, $secs s each, $("$Q8_WINE" --version 2>/dev/null) ($WINEARCH), $(nproc) cores"
a=$(run animated 50)
i=$(run still 2147483647)
awk -v af="$(echo "$a" | field frames)" -v ae="$(echo "$a" | field elapsed_ms)" -v ac="$(echo "$a" | field cpu_ms)" \
    -v ie="$(echo "$i" | field elapsed_ms)" -v ic="$(echo "$i" | field cpu_ms)" 'BEGIN {
  printf "  frames per second at 50 ms per frame: %.1f (%d frames in %.1f s; 20.0 is the most a 50 ms timer gives)\n", af * 1000 / ae, af, ae / 1000
  printf "  CPU of the probe, animated:           %.1f ms per second\n", ac * 1000 / ae
  printf "  CPU of the probe, still:              %.1f ms per second\n", ic * 1000 / ie
  printf "  CPU per second of animation:          %.1f ms (%.1f%% of one core)\n", (ac / ae - ic / ie) * 1000, (ac / ae - ic / ie) * 100
}'
