#!/usr/bin/env bash
# Builds Dovrane.exe twice from scratch, from two copies of the source tree
# in two different folders (of different depth), and checks that the two
# files are the same bytes: the build depends on nothing but the sources
# and the compilers, not on where it ran or when.
#
#   scripts/check-reproducible.sh [more executables to compare with]
#
# The copies take the tree as it is (tracked and new files, not what
# .gitignore leaves out), so uncommitted changes are built too. Prints the
# SHA-256 of each build; exit code 0 when they agree, 1 when not.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The tree as it is: tracked and new files, less those deleted from the
# work tree but still in the index.
copy_tree() {  # copy_tree DEST
  mkdir -p "$1"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do if [[ -e $f ]]; then printf '%s\0' "$f"; fi; done |
    xargs -0 cp --parents -t "$1")
}

sums=()
for dest in "$work/a" "$work/second/copy/of/the/tree"; do
  copy_tree "$dest"
  echo "check-reproducible: building in $dest"
  cmake --preset windows -S "$dest" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; exit 1; }
  cmake --build "$dest/build/windows" --target Dovrane -j2 >"$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; exit 1; }
  sum=$(sha256sum "$dest/build/windows/Dovrane.exe" | cut -d' ' -f1)
  echo "check-reproducible: $sum  $dest/build/windows/Dovrane.exe"
  sums+=("$sum")
done

status=0
if [[ ${sums[0]} == "${sums[1]}" ]]; then
  echo "check-reproducible: the two builds are identical"
else
  echo "check-reproducible: the two builds differ" >&2
  status=1
fi
for other in "$@"; do
  sum=$(sha256sum "$other" | cut -d' ' -f1)
  if [[ $sum == "${sums[0]}" ]]; then
    echo "check-reproducible: $other is identical too"
  else
    echo "check-reproducible: $other differs ($sum)" >&2
    status=1
  fi
done
exit "$status"
