#!/bin/bash
# Builds everything and runs every test under Wine: the README's test command.
# The programs are built for 32-bit x86, as shipped. The tests run that build
# under 32-bit Wine; on a machine whose kernel runs no 32-bit x86 code (see
# tools/machine-arch) they run a 64-bit build of the same sources under
# 64-bit Wine instead, after the shipped 32-bit program (Q8) was built to show
# it links, with the installer that carries it (Q8_Setup).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-deps.sh"
build=${Q8_BUILD_DIR:-$root/build}
configure() {  # configure DIR TOOLCHAIN [options...]
  local dir=$1 chain=$2; shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$chain-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}
export Q8_WINEARCH=win32
if [ "$(bash "$root/tools/machine-arch")" = x86 ]; then
  configure "$build" i686
else
  Q8_WINEARCH=win64
  echo "run-tests: this machine runs no 32-bit x86 code; building the 32-bit programs, then testing a 64-bit build"
  configure "$build-i686" i686 -DQ8_BUILD_TESTS=OFF
  cmake --build "$build-i686" -j"$(nproc)" --target Q8 Q8_Setup
  build=$build-x64
  configure "$build" x86_64
fi
cmake --build "$build" -j"$(nproc)"
cd "$build"
# The simulated adapters' network interfaces (their MAC addresses) live in a
# private network namespace, which needs root: the tests, Wine's server and
# services included, all run inside one (and each lane of end-to-end tests
# inside one of its own, tools/netns-fixture). Without it those tests skip.
# Three at a time: the unit tests and the two lanes, which mostly wait.
if [ -z "${Q8SIM_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
  # A server of these prefixes started outside would keep Wine's view of the network there.
  for prefix in "$build"/wineprefix*; do
    (. "$root/tools/wine-arch.sh"; WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null) || true
  done
  exec unshare -n sh -c 'ip link set lo up 2>/dev/null
    export Q8SIM_NETNS=$(readlink /proc/self/ns/net)
    exec ctest -j3 --output-on-failure "$@"' ctest "$@"
fi
ctest -j3 --output-on-failure "$@"
