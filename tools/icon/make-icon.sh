#!/bin/sh
# Regenerates res/dovrane.ico from tools/icon/make_icon.cpp with the build
# machine's own C++ compiler. Needs zlib (Debian: zlib1g-dev) for the PNG of
# the 256x256 image. The icon is kept in the repository, so the Windows build
# needs neither this script nor a host compiler.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
${CXX:-g++} -std=c++17 -O2 -Wall -Wextra -Wpedantic -Werror \
  -o "$work/make_icon" "$here/make_icon.cpp" -lz
"$work/make_icon" "$root/res/dovrane.ico"
echo "wrote $root/res/dovrane.ico"
