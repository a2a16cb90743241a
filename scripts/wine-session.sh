# shellcheck shell=bash
# A throw-away Wine session in a virtual X server, for running Dovrane.exe and
# test programs next to it. Source this file, then:
#
#   ws_begin                      # work folder + cleanup trap (EXIT/INT/TERM)
#   ws_start_xvfb 1024x768x24     # own X display, exports DISPLAY
#   ws_new_prefix [NAME [LOCALE]] # fresh WINEPREFIX, zh_CN.UTF-8 (code page 936)
#   ws_virtual_desktop dv 1024x768
#   wine some.exe args            # runs on that desktop; stdout and exit code
#                                 # come straight back to the shell
#
# Everything lives under $WS_DIR (a mktemp folder) and is removed, with every
# process the session started, by ws_cleanup, which the trap calls on every
# way out. Set WS_KEEP=1 to keep $WS_DIR for a post-mortem.
#
# Wine facts this relies on (Wine 8, Debian):
# - WINEDLLOVERRIDES="mscoree,mshtml=" keeps a fresh prefix from asking for
#   Mono and Gecko; `wine wineboot -i` then `wineserver -w` finishes the
#   prefix (about 10 s) before anything else starts.
# - With LANG/LC_ALL=zh_CN.UTF-8 GetACP() is 936, so GBK texts show as Chinese.
# - HKCU\Software\Wine\Explorer "Desktop"="dv" plus
#   HKCU\Software\Wine\Explorer\Desktops "dv"="1024x768" puts every process of
#   the prefix on one virtual desktop of that size (one X window named
#   "dv - Wine desktop"); SM_CXSCREEN/SM_CYSCREEN read 1024/768. This is what
#   `wine explorer /desktop=dv,1024x768 prog.exe` does for one program, but a
#   plain `wine prog.exe` keeps its console output and exit code.
# - Relay trace limited to some functions (see ws_relay_include): the value
#   HKCU\Software\Wine\Debug "RelayInclude" lists module.Function names
#   separated by ";", and a process run with WINEDEBUG=-all,+relay,+pid
#   writes, on stderr, lines like
#     0114:0118:Call user32.MessageBeep(00000040) ret=140001662
#     0114:0118:Ret  user32.MessageBeep() retval=00000001 ret=140001662
#   (process id:thread id:...). Child processes inherit WINEDEBUG and stderr.
# - The value is read per process at start, for every process of the prefix.

WS_DIR=${WS_DIR:-}
WS_XVFB_PID=
WS_PIDS=()

ws_log() { echo "wine-session: $*" >&2; }

# Creates the work folder and installs the cleanup trap.
ws_begin() {
  WS_DIR=$(mktemp -d "${TMPDIR:-/tmp}/dovrane-wine.XXXXXX") || return 1
  trap ws_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# Polls "$@" every 0.1 s until it succeeds or timeout_s seconds have passed.
#   ws_wait_for 10 test -e some/file
ws_wait_for() {
  local timeout_s=$1
  shift
  local end=$((SECONDS + timeout_s))
  until "$@"; do
    ((SECONDS >= end)) && return 1
    sleep 0.1
  done
}

# Starts Xvfb on a display number it picks itself (-displayfd) and exports
# DISPLAY. Argument: screen geometry, default 1024x768x24.
ws_start_xvfb() {
  local geometry=${1:-1024x768x24}
  local fdfile=$WS_DIR/xvfb.display
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset \
    3>"$fdfile" >"$WS_DIR/xvfb.log" 2>&1 &
  WS_XVFB_PID=$!
  if ! ws_wait_for 15 grep -q '[0-9]' "$fdfile"; then
    ws_log "Xvfb did not report a display (see $WS_DIR/xvfb.log)"
    return 1
  fi
  DISPLAY=":$(tr -dc '0-9' <"$fdfile")"
  export DISPLAY
  if ! ws_wait_for 15 xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    ws_log "X display $DISPLAY does not answer"
    return 1
  fi
}

# Creates a fresh 64-bit prefix $WS_DIR/NAME (default "prefix") whose
# programs run in LOCALE (default zh_CN.UTF-8, ANSI code page 936; en_US.UTF-8
# gives 1252), and keeps its wineserver running until ws_end_prefix or
# ws_cleanup. The server of a prefix made before is ended first.
ws_new_prefix() {
  local name=${1:-prefix} locale=${2:-zh_CN.UTF-8}
  [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-/nonexistent} ]] && ws_end_prefix
  export WINEPREFIX=$WS_DIR/$name
  export WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=${WINEDEBUG:--all}
  export LANG=$locale LC_ALL=$locale
  # "locale -a" writes zh_CN.utf8 for zh_CN.UTF-8.
  local wanted
  wanted=$(tr -d '-' <<<"${locale,,}")
  if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d '-' | grep -qxF "$wanted"; then
    ws_log "locale $locale missing (scripts/install-deps.sh generates it)"
    return 1
  fi
  local log=$WS_DIR/wineboot-$name.log attempt
  for attempt in 1 2; do
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >"$log" 2>&1 && break
    # Seen once right after another session's power-off: said, and tried
    # once more on a clean folder.
    ws_log "wineboot -i failed (attempt $attempt); its last lines:"
    tail -5 "$log" >&2
    wineserver -k >/dev/null 2>&1
    timeout 10 wineserver -w >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
    ((attempt == 2)) && return 1
  done
  wineserver -w
  # A persistent server keeps the registry loaded between programs.
  wineserver -p
  [[ -f $WINEPREFIX/system.reg ]] || { ws_log "prefix not created"; return 1; }
  ws_use_system_fonts
}

# Makes the prefix draw text as a Windows system does (done by ws_new_prefix):
# - Wine's own fonts in C:\windows\Fonts. Debian's Wine looks for them in a
#   folder it cannot reach (/usr/share/wine/../fonts), so without them the
#   caption buttons come out as the letters "0 1 r" (Marlett's glyphs) and
#   Tahoma, the English GUI font, is missing.
# - SimSun, the Chinese GUI font Wine asks for (DEFAULT_GUI_FONT is
#   "MS Shell Dlg", which Wine substitutes by SimSun in Chinese), is the
#   Song font "AR PL SungtiL GB" (Debian's fonts-arphic-gbsn00lp), which has
#   SimSun's metrics at 9 points: 12-pixel ideographs, 6-pixel digits.
# - On a system of another language Tahoma and its kin link to the same font
#   for the Chinese characters, as an English Windows links them to SimSun.
ws_use_system_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts song=gbsn00lp.ttf face='AR PL SungtiL GB'
  mkdir -p "$fonts" && cp /usr/share/wine/fonts/*.ttf "$fonts/" || {
    ws_log "Wine's fonts (/usr/share/wine/fonts, package fonts-wine) missing"
    return 1
  }
  [[ $(fc-list : file 2>/dev/null) == *"/$song"* ]] || {
    ws_log "font $face missing (package fonts-arphic-gbsn00lp; scripts/install-deps.sh)"
    return 1
  }
  ws_reg_add 'HKCU\Software\Wine\Fonts\Replacements' SimSun REG_SZ "$face" || return 1
  local linked
  for linked in Tahoma 'Microsoft Sans Serif' 'MS Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    ws_reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      "$linked" REG_MULTI_SZ "$song,$face" || return 1
  done
}

# Ends every program of the current prefix and its wineserver.
ws_end_prefix() {
  wineserver -k >/dev/null 2>&1
  timeout 10 wineserver -w >/dev/null 2>&1
  return 0
}

# Ends the programs of the prefix and starts its server afresh: settings
# that programs read when the session starts (the DPI, the Windows version)
# take effect for the programs started after this.
ws_restart_server() {
  ws_end_prefix
  wineserver -p
}

# The system DPI of the prefix (96 is 100 % display scaling), from the next
# ws_restart_server on.
ws_set_dpi() {
  ws_reg_add 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$1"
}

# The Windows version the prefix reports (win7, win81, win10, win11, ...),
# from the next ws_restart_server on. Wine 8.0's winecfg has no win11: Windows
# 11 is Windows 10.0 with a build number from 22000 on, which is what the
# programs are told then.
ws_set_windows_version() {
  wine winecfg -v "$1" >/dev/null 2>&1 && return 0
  [[ $1 == win11 ]] && wine winecfg -v win10 >/dev/null 2>&1 || return 1
  local value
  for value in CurrentBuild CurrentBuildNumber; do
    ws_reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' "$value" REG_SZ 22000 ||
      return 1
  done
}

# ws_reg_add 'HKCU\Software\...' NAME TYPE DATA
ws_reg_add() {
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1
}

# ws_reg_query 'HKCU\Software\...' NAME  -> prints the data, if any
ws_reg_query() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print }'
}

# Every program of the prefix runs on one virtual desktop NAME of size WxH.
ws_virtual_desktop() {
  ws_reg_add 'HKCU\Software\Wine\Explorer' Desktop REG_SZ "$1" &&
    ws_reg_add 'HKCU\Software\Wine\Explorer\Desktops' "$1" REG_SZ "$2"
}

# Limits the relay trace to the listed functions, "module.Function;...":
#   ws_relay_include 'user32.ExitWindowsEx;shell32.ShellExecuteA'
# Equivalent to
#   wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
#        /d 'user32.ExitWindowsEx;shell32.ShellExecuteA' /f
ws_relay_include() {
  ws_reg_add 'HKCU\Software\Wine\Debug' RelayInclude REG_SZ "$1"
}

# Runs "$@" with the relay trace on, appending the trace (and the rest of its
# stderr) to LOG:
#   ws_relay_run "$WS_DIR/trace.log" wine prog.exe
# The trace covers the program and every process it starts.
ws_relay_run() {
  local log=$1
  shift
  WINEDEBUG=-all,+relay,+pid "$@" 2>>"$log"
}

# Like ws_relay_run, with each trace line led by the Wine tick count in
# seconds ("1717.988:04f0:04f4:Call ..."), the clock GetTickCount reads.
ws_relay_run_timed() {
  local log=$1
  shift
  WINEDEBUG=-all,+relay,+pid,+timestamp "$@" 2>>"$log"
}

# Points winebrowser (what ShellExecute uses for http/https addresses) at a
# command of our own instead of a real browser.
ws_set_browser() {
  ws_reg_add 'HKCU\Software\Wine\WineBrowser' Browsers REG_SZ "$1"
}

# A harmless "browser" that only appends each address it is given to FILE;
# prints the path of the command, for ws_set_browser.
ws_browser_recorder() {
  local file=$1 cmd=$WS_DIR/record-browser
  cat >"$cmd" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>'$file'
EOF
  chmod +x "$cmd"
  echo "$cmd"
}

# Screenshot of the whole X display into FILE (PNG by the extension).
ws_screenshot() {
  import -display "$DISPLAY" -window root "$1" 2>>"$WS_DIR/import.log"
}

# ws_crop IN OUT X Y W H MARGIN: the rectangle plus MARGIN pixels on each
# side, clipped to the image, without metadata (so that the same picture
# gives the same file).
ws_crop() {
  local in=$1 out=$2 x=$3 y=$4 w=$5 h=$6 m=${7:-0}
  x=$((x - m)) y=$((y - m)) w=$((w + 2 * m)) h=$((h + 2 * m))
  ((x < 0)) && w=$((w + x)) && x=0
  ((y < 0)) && h=$((h + y)) && y=0
  convert "$in" -crop "${w}x${h}+${x}+${y}" +repage -strip "$out" 2>>"$WS_DIR/import.log"
}

# Starts "$@" in the background and remembers it for ws_cleanup; the pid is
# in WS_LAST_PID.
ws_spawn() {
  "$@" &
  WS_LAST_PID=$!
  WS_PIDS+=("$WS_LAST_PID")
}

# Stops every process of the session: the Wine programs and server, the
# background jobs started with ws_spawn, Xvfb; then removes $WS_DIR.
ws_cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  if [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-/nonexistent} ]]; then
    wineserver -k >/dev/null 2>&1
    timeout 10 wineserver -w >/dev/null 2>&1
  fi
  local pid
  for pid in "${WS_PIDS[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  WS_PIDS=()
  if [[ -n $WS_XVFB_PID ]]; then
    kill "$WS_XVFB_PID" 2>/dev/null
    wait "$WS_XVFB_PID" 2>/dev/null
    WS_XVFB_PID=
  fi
  if [[ -n $WS_DIR && -d $WS_DIR && ${WS_KEEP:-0} != 1 ]]; then
    rm -rf "$WS_DIR"
  fi
  return "$rc"
}
