#!/usr/bin/env bash
# Checks what the built Dovrane.exe is: a GUI-subsystem PE that imports only
# KnownDLLs (every one of them the system always loads from its own folder,
# so no file beside the program can stand in for it), with its version
# record and its application manifest.
#
#   scripts/check-exe.sh build/windows/Dovrane.exe
set -euo pipefail
exe=$1
objdump=x86_64-w64-mingw32-objdump
headers=$($objdump -p "$exe")
fail() {
  echo "check-exe: $*" >&2
  exit 1
}

grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers" || fail "$exe is not a GUI-subsystem program"

# KnownDLLs from Windows 7 on. msimg32, uxtheme, version, dwmapi and the like
# are not: a DLL of that name in the Downloads folder would be loaded from
# there before the program's first instruction.
known_dlls=' KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL SHELL32.DLL OLE32.DLL MSVCRT.DLL '
imports=$(awk '/DLL Name:/ {print $3}' <<<"$headers")
bad=0
while read -r dll; do
  [[ -z $dll ]] && continue
  if [[ $known_dlls != *" ${dll^^} "* ]]; then
    echo "check-exe: imports $dll, which is not a KnownDLL" >&2
    bad=1
  fi
done <<<"$imports"
((bad == 0)) || exit 1

# The version record's texts are UTF-16 in the resources; the manifest is
# UTF-8 text. Both are looked for in the file's bytes.
has_utf16() {  # has_utf16 ASCII-TEXT: the text in UTF-16LE somewhere in the file
  local pattern
  pattern=$(printf '%s' "$1" | od -An -tx1 | tr -s ' \n' '\n\n' | sed '/^$/d; s/.*/\\x&\\x00/' | tr -d '\n')
  LC_ALL=C grep -qaP "$pattern" "$exe"
}
for entry in CompanyName FileDescription FileVersion InternalName LegalCopyright \
  OriginalFilename ProductName ProductVersion; do
  has_utf16 "$entry" || fail "version record has no $entry"
done
has_utf16 Dovrane.exe || fail "version record does not name Dovrane.exe"
for part in 'level="asInvoker"' '<dpiAware' '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'; do
  LC_ALL=C grep -qaF "$part" "$exe" || fail "application manifest missing or without $part"
done

echo "check-exe: $(basename "$exe") $(stat -c %s "$exe") bytes, imports: $(tr '\n' ' ' <<<"$imports")"
