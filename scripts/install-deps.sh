#!/usr/bin/env bash
# Installs what building Dovrane and running its tests need on a Debian
# machine, and only what is missing: the packages of the `packages` list
# below (host build and tests, fuzzing, the Windows cross build, the
# end-to-end tier under Wine) and the locales of the `locales` list. It looks
# first and needs root only when something must be installed or generated;
# with everything in place it runs as any user. Safe to run again.
#
#   scripts/install-deps.sh
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev
  clang libclang-rt-14-dev valgrind
  mingw-w64
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick x11-utils
  fonts-wqy-microhei fonts-arphic-gbsn00lp locales
)

# The end-to-end tests run the program under zh_CN.UTF-8, for which Wine
# picks code page 936 (GBK) as the ANSI code page, and under en_US.UTF-8
# (code page 1252).
locales=(zh_CN en_US)
have_locale() { locale -a 2>/dev/null | grep -qiE "^$1\\.utf-?8$"; }

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
missing_locales=()
for l in "${locales[@]}"; do
  have_locale "$l" || missing_locales+=("$l.UTF-8")
done

if ((${#missing[@]} == 0 && ${#missing_locales[@]} == 0)); then
  echo "install-deps: all packages and locales present"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  ((${#missing[@]} == 0)) || echo "install-deps: missing packages: ${missing[*]}" >&2
  ((${#missing_locales[@]} == 0)) || echo "install-deps: missing locales: ${missing_locales[*]}" >&2
  echo "install-deps: run it as root to install what is missing" >&2
  exit 1
fi

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

# Checked again: the locales package may have been installed just now.
for l in "${locales[@]}"; do
  have_locale "$l" && continue
  echo "install-deps: generating $l.UTF-8"
  if [[ -f /etc/locale.gen ]] && grep -qE "^#? *$l\\.UTF-8 UTF-8" /etc/locale.gen; then
    sed -i -E "s/^# *($l\\.UTF-8 UTF-8)/\\1/" /etc/locale.gen
    locale-gen
  else
    localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
  have_locale "$l" || {
    echo "install-deps: $l.UTF-8 locale still missing" >&2
    exit 1
  }
done
echo "install-deps: done"
