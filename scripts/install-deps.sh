#!/usr/bin/env bash
# Installs what building Dovrane and running its tests need on a Debian
# machine, and only what is missing: the packages of the `packages` list
# below (host build and tests, fuzzing, the Windows cross build, the
# end-to-end tier under Wine) and the zh_CN.UTF-8 locale. It looks first and
# needs root only when something must be installed or generated; with
# everything in place it runs as any user. Safe to run again.
#
#   scripts/install-deps.sh
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev
  clang libclang-rt-14-dev valgrind
  mingw-w64
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick x11-utils
  fonts-wqy-microhei locales
)

# The end-to-end tests run the program under zh_CN.UTF-8 so that Wine picks
# code page 936 (GBK) as the ANSI code page.
have_locale() { locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; }

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
need_locale=0
have_locale || need_locale=1

if ((${#missing[@]} == 0 && need_locale == 0)); then
  echo "install-deps: all packages and the zh_CN.UTF-8 locale present"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  ((${#missing[@]} == 0)) || echo "install-deps: missing packages: ${missing[*]}" >&2
  ((need_locale == 0)) || echo "install-deps: missing locale: zh_CN.UTF-8" >&2
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
if ! have_locale; then
  echo "install-deps: generating zh_CN.UTF-8"
  if [[ -f /etc/locale.gen ]] && grep -qE '^#? *zh_CN\.UTF-8 UTF-8' /etc/locale.gen; then
    sed -i -E 's/^# *(zh_CN\.UTF-8 UTF-8)/\1/' /etc/locale.gen
    locale-gen
  else
    localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
  fi
fi
have_locale || {
  echo "install-deps: zh_CN.UTF-8 locale still missing" >&2
  exit 1
}
echo "install-deps: done"
