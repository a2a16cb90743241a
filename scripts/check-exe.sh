#!/usr/bin/env bash
# Checks what the built Dovrane.exe is: a GUI-subsystem PE that imports only
# Windows system DLLs (everything else is linked in statically).
#
#   scripts/check-exe.sh build/windows/Dovrane.exe
set -euo pipefail
exe=$1
objdump=x86_64-w64-mingw32-objdump
headers=$($objdump -p "$exe")
grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || {
  echo "check-exe: $exe is not a GUI-subsystem program" >&2
  exit 1
}
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|MSIMG32|COMCTL32|msvcrt)\.dll$'
bad=0
while read -r dll; do
  if [[ ! $dll =~ $allowed ]] && [[ ! ${dll^^} =~ ${allowed^^} ]]; then
    echo "check-exe: unexpected import $dll" >&2
    bad=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
((bad == 0)) || exit 1
echo "check-exe: $(basename "$exe") $(stat -c %s "$exe") bytes, imports: $(awk '/DLL Name:/ {printf "%s ", $3}' <<<"$headers")"
