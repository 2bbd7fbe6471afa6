#!/bin/bash
# Builds everything and runs every test under Wine: the README's test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup-deps.sh"
build=${Q8_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
# The simulated adapters' network interfaces (their MAC addresses) live in a
# private network namespace, which needs root: the tests, Wine's server and
# services included, all run inside one. Without it those tests skip.
if [ -z "${Q8SIM_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
  # A server of this prefix started outside would keep Wine's view of the network there.
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  exec unshare -n sh -c 'ip link set lo up 2>/dev/null
    export Q8SIM_NETNS=$(readlink /proc/self/ns/net)
    exec ctest -j2 --output-on-failure "$@"' ctest "$@"
fi
ctest -j2 --output-on-failure "$@"
