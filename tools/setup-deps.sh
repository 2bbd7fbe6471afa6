#!/bin/bash
# Installs what building and running the project needs on Debian 12, once:
# MinGW-w64 for i686 (and x86_64, for machines that run no 32-bit code), 32- and 64-bit Wine,
# Xvfb, CJK fonts, the zh_CN locale, the picture renderers.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in cmake make g++ googletest nsis g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine32:i386 wine64 xvfb \
         fonts-wqy-microhei imagemagick locales x11-utils xdotool iproute2 python3 \
         librsvg2-bin icoutils; do
  have "$p" || need+=("$p")
done
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ ${#need[@]} -gt 0 ]; then
  echo "setup-deps: installing ${need[*]}"
  if ! dpkg --print-foreign-architectures | grep -q i386; then $SUDO dpkg --add-architecture i386; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}" >/dev/null
fi
# Wine takes its ANSI code page (936 on the target PCs) from the process locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
