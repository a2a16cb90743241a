#!/usr/bin/env bash
# Installs what building Dovrane and running its tests need on a Debian
# machine, and only what is missing. Safe to run again; run it as root.
#
#   scripts/install-deps.sh
#
# Host build:    cmake g++ googletest libgtest-dev
# Windows build: mingw-w64
# End-to-end:    wine wine64 xvfb xdotool imagemagick fonts-wqy-microhei
#                locales (zh_CN.UTF-8) x11-utils (xdpyinfo, xwininfo)
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev
  clang libclang-rt-14-dev valgrind
  mingw-w64
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick x11-utils
  fonts-wqy-microhei locales
)

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: must run as root" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # Recommended packages too: Wine draws its dialogs and captions with the
  # fonts and libraries it recommends.
  apt-get install -y "${missing[@]}"
else
  echo "install-deps: all packages present"
fi

# The end-to-end tests run the program under zh_CN.UTF-8 (Wine picks code
# page 936, GBK, as the ANSI code page) and under en_US.UTF-8 (1252).
for wanted in zh_CN en_US; do
  locale -a 2>/dev/null | grep -qiE "^$wanted\.utf-?8$" && continue
  echo "install-deps: generating $wanted.UTF-8"
  if [[ -f /etc/locale.gen ]] && grep -qE "^#? *$wanted\.UTF-8 UTF-8" /etc/locale.gen; then
    sed -i -E "s/^# *($wanted\.UTF-8 UTF-8)/\1/" /etc/locale.gen
    locale-gen
  else
    localedef -i "$wanted" -f UTF-8 "$wanted.UTF-8"
  fi
  locale -a 2>/dev/null | grep -qiE "^$wanted\.utf-?8$" || {
    echo "install-deps: $wanted.UTF-8 locale still missing" >&2
    exit 1
  }
done
echo "install-deps: done"
