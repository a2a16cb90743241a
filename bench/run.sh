#!/usr/bin/env bash
# Measures Dovrane.exe against small Win32 programs built the same way (a
# bare window; for the idle cost, a window doing a running countdown's timer
# work), and prints one line per figure: value, baseline measured in the
# same run, their ratio, the target and whether the value meets it.
#
#   bench/run.sh
#
# Environment (all optional):
#   BENCH_WINDOWS_BUILD  mingw-w64 build folder   (default build/bench-windows)
#   BENCH_HOST_BUILD     native build folder      (default build/bench-host)
#   BENCH_LOGS           logs, traces, link map   (default build/bench-logs)
#   BENCH_IDLE_SECONDS   idle measurement length  (default 60)
#   BENCH_STARTS         counted starts per program (default 11)
#   BENCH_TICKS          handler calls per instruction count (default 1000)
#   BENCH_COMPARE_EXE    another build of Dovrane.exe (an earlier commit's,
#                        say), timed and idled beside this one in the same
#                        runs: its figures are printed below the table
#
# Every figure is measured on its own: one that cannot be taken is reported
# as FAILED with the reason, and the others go on. This is a measurement,
# not a test: a missed target does not change the exit code. Exit code 0
# when at least one figure was measured, 1 when none could be.
#
# The shutdown timing runs last, in a Wine session of its own: the power-off
# request it waits for ends every process of that session.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
win_build=${BENCH_WINDOWS_BUILD:-$root/build/bench-windows}
host_build=${BENCH_HOST_BUILD:-$root/build/bench-host}
logs=${BENCH_LOGS:-$root/build/bench-logs}
idle_s=${BENCH_IDLE_SECONDS:-60}
starts=${BENCH_STARTS:-11}
ticks=${BENCH_TICKS:-1000}
compare_exe=${BENCH_COMPARE_EXE:-}
shutdown_delay_ms=5000

note() { echo "bench: $*" >&2; }

mkdir -p "$logs" || { echo "bench: cannot create $logs" >&2; exit 1; }
logs=$(cd "$logs" && pwd)

# --- The table ---------------------------------------------------------------
names=() values=() baselines=() ratios=() targets=() verdicts=()
measured=0
remarks=()

row() {  # row NAME VALUE BASELINE RATIO TARGET VERDICT
  names+=("$1") values+=("$2") baselines+=("$3") ratios+=("$4") targets+=("$5") verdicts+=("$6")
  [[ $2 == FAILED ]] || measured=$((measured + 1))
}
failed_row() {  # failed_row NAME TARGET REASON
  row "$1" FAILED - - "$2" "not measured: $3"
}
remark() { remarks+=("$*"); }

# Arithmetic on decimal numbers: calc FORMAT EXPR A [B], e.g.
# calc %.2f 'a / b' 3 4
calc() {
  awk -v a="${3:-0}" -v b="${4:-0}" "BEGIN { printf \"$1\", $2 }"
}
ratio_of() {  # ratio_of VALUE BASELINE -> "1.23x", or "-" for a zero baseline
  awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2fx\n", a / b }'
}
holds() {  # holds 'a <= b' A B
  awk -v a="$2" -v b="$3" "BEGIN { exit !($1) }"
}
verdict() { if "$@"; then echo meets; else echo misses; fi; }

print_table() {
  local i fmt='%-36s %-16s %-16s %-9s %-22s %s\n'
  echo
  # shellcheck disable=SC2059
  printf "$fmt" FIGURE VALUE BASELINE RATIO TARGET VERDICT
  for i in "${!names[@]}"; do
    # shellcheck disable=SC2059
    printf "$fmt" "${names[$i]}" "${values[$i]}" "${baselines[$i]}" "${ratios[$i]}" \
      "${targets[$i]}" "${verdicts[$i]}"
  done
  if ((${#remarks[@]})); then
    echo
    printf '%s\n' "${remarks[@]}"
  fi
  echo
  echo "logs: $logs"
}

# --- Builds ------------------------------------------------------------------
win_ok=0
host_ok=0
win_why="" host_why=""
if ! command -v cmake >/dev/null; then
  win_why="cmake not installed" host_why="cmake not installed"
else
  note "building the Windows programs in $win_build"
  if cmake --preset windows -S "$root" -B "$win_build" >"$logs/build-windows.log" 2>&1 &&
    cmake --build "$win_build" -j2 --target Dovrane bench_bare_window bench_countdown_window \
      bench_startup_probe bench_dovrane_mapped >>"$logs/build-windows.log" 2>&1; then
    win_ok=1
  else
    win_why="Windows build failed (see $logs/build-windows.log)"
  fi
  note "building the host program in $host_build"
  # Optimised for size like Dovrane.exe, so that instruction counts come
  # from code of the same kind.
  if cmake --preset host -S "$root" -B "$host_build" -DCMAKE_BUILD_TYPE=MinSizeRel \
    >"$logs/build-host.log" 2>&1 &&
    cmake --build "$host_build" -j2 --target bench_tick_cost >>"$logs/build-host.log" 2>&1; then
    host_ok=1
  else
    host_why="host build failed (see $logs/build-host.log)"
  fi
fi

exe=$win_build/Dovrane.exe
bare=$win_build/bench/bare_window.exe
countdown=$win_build/bench/countdown_window.exe
probe=$win_build/bench/startup_probe.exe
mapped=$win_build/bench/dovrane_mapped.exe
map=$win_build/bench/dovrane_mapped.map
tick_cost=$host_build/bench/tick_cost

# --- 1. Size -------------------------------------------------------------------
objdump=x86_64-w64-mingw32-objdump

section_size() {  # section_size FILE NAME -> bytes, empty when absent
  "$objdump" -h "$1" 2>/dev/null | awk -v s="$2" '$2 == s { print $3 }' |
    while read -r h; do echo $((16#$h)); done
}
imports_of() {  # imports_of FILE -> the imported DLLs, one line, sorted
  "$objdump" -p "$1" 2>/dev/null | awk '/DLL Name:/ { print $3 }' | sort -f | tr '\n' ' ' |
    sed 's/ $//'
}

# DLLs every Windows installation carries.
system_dll() {
  case ${1,,} in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | ole32.dll | \
      oleaut32.dll | comctl32.dll | comdlg32.dll | msimg32.dll | msvcrt.dll | shlwapi.dll | \
      uxtheme.dll | winmm.dll | version.dll | ntdll.dll | ucrtbase.dll | api-ms-win-*.dll) return 0 ;;
    *) return 1 ;;
  esac
}

measure_size() {
  local target_code='<= 2x bare'
  if ((!win_ok)); then
    failed_row "exe size (bytes)" - "$win_why"
    failed_row "code .text (bytes)" "$target_code" "$win_why"
    failed_row "imports" "Windows DLLs only" "$win_why"
    return
  fi
  if ! command -v "$objdump" >/dev/null; then
    failed_row "code .text (bytes)" "$target_code" "$objdump not installed"
    return
  fi
  local exe_bytes bare_bytes text bare_text rdata bare_rdata rsrc
  exe_bytes=$(stat -c %s "$exe") bare_bytes=$(stat -c %s "$bare")
  text=$(section_size "$exe" .text) bare_text=$(section_size "$bare" .text)
  rdata=$(section_size "$exe" .rdata) bare_rdata=$(section_size "$bare" .rdata)
  rsrc=$(section_size "$exe" .rsrc)
  row "exe size (bytes)" "$exe_bytes" "$bare_bytes" "$(ratio_of "$exe_bytes" "$bare_bytes")" - -
  remark "Dovrane.exe holds ${rsrc:-0} bytes of resources (.rsrc: icon, version record, manifest)"
  if [[ -n $text && -n $bare_text ]]; then
    row "code .text (bytes)" "$text" "$bare_text" "$(ratio_of "$text" "$bare_text")" "$target_code" \
      "$(verdict holds 'a <= 2 * b' "$text" "$bare_text")"
  else
    failed_row "code .text (bytes)" "$target_code" "no .text section found"
  fi
  row "read-only data .rdata (bytes)" "${rdata:-?}" "${bare_rdata:-?}" \
    "$(ratio_of "${rdata:-0}" "${bare_rdata:-0}")" - -
  local imports dll foreign=""
  imports=$(imports_of "$exe")
  for dll in $imports; do system_dll "$dll" || foreign+=" $dll"; done
  row "imports (count)" "$(wc -w <<<"$imports")" "$(wc -w <<<"$(imports_of "$bare")")" - \
    "Windows DLLs only" "$([[ -z $foreign ]] && echo meets || echo "misses:$foreign")"
  remark "Dovrane.exe imports: $imports"
  remark "bare_window.exe imports: $(imports_of "$bare")"

  # Where the code comes from: the link map of the same program unstripped.
  if [[ ! -f $map ]]; then
    remark "code breakdown: no link map at $map"
    return
  fi
  local mapped_text sizes
  mapped_text=$(section_size "$mapped" .text)
  [[ $mapped_text == "$text" ]] ||
    remark "note: the mapped build's .text ($mapped_text B) differs from Dovrane.exe's ($text B)"
  sizes=$logs/code-contributors.txt
  awk -f "$here/map_sizes.awk" "$map" | sort -k1,1nr -k2,2nr >"$sizes"
  remark ""
  remark "Where Dovrane.exe's code comes from (link map, bytes; top 10 by .text + .rdata):"
  remark "$(awk '{ print $1 + $2, $0 }' "$sizes" | sort -k1,1nr | head -10 |
    awk '{ who = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ /, "", who)
           printf "  %8d .text %8d .rdata  %s\n", $2, $3, who }')"
  remark "By origin:"
  remark "$(awk '
    {
      who = $3
      if (who ~ /^libstdc\+\+\.a/) o = "libstdc++ (C++ runtime)"
      else if (who ~ /^libdovrane_logic\.a|^objects\.a/) o = "Dovrane (core, ui, win32)"
      else if (who ~ /^libmingwex\.a|^libmingw32\.a|^crt|^libmsvcrt/) o = "mingw-w64 C runtime"
      else if (who ~ /^libgcc/) o = "libgcc (unwinder, helpers)"
      else if (who ~ /^lib.*32\.a|^libole32/) o = "system DLL import stubs"
      else o = "other"
      t[o] += $1; r[o] += $2
    }
    END { for (o in t) printf "  %8d .text %8d .rdata  %s\n", t[o], r[o], o }' "$sizes" |
    sort -k1,1nr)"
  remark "(full list: $sizes)"
}

# --- 5. Host instruction counts ----------------------------------------------
# instructions MODE FUNCTION-PATTERN -> instructions per call, or empty
instructions() {
  local mode=$1 pattern=$2 out=$logs/callgrind.$1 total
  rm -f "$out"
  if ! valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$pattern" \
    "$tick_cost" "$mode" "$ticks" >"$logs/callgrind-$mode.log" 2>&1; then
    note "callgrind $mode failed (see $logs/callgrind-$mode.log)"
    return
  fi
  # The collection must have been switched on by the function itself.
  local fn=${pattern//\*/}
  callgrind_annotate --inclusive=yes "$out" >"$logs/callgrind-$mode.txt" 2>&1
  if ! grep -qF "$fn" "$logs/callgrind-$mode.txt"; then
    note "callgrind $mode: no function $fn in the profile"
    return
  fi
  total=$(awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1; exit }' "$logs/callgrind-$mode.txt")
  [[ -n $total && $total -gt 0 ]] && calc %.0f 'a / b' "$total" "$ticks"
}

measure_ticks() {
  local why=""
  ((host_ok)) || why=$host_why
  [[ -z $why ]] && ! command -v valgrind >/dev/null && why="valgrind not installed"
  [[ -z $why ]] && ! command -v callgrind_annotate >/dev/null && why="callgrind_annotate not installed"
  if [[ -n $why ]]; then
    failed_row "countdown tick (instructions)" - "$why"
    failed_row "clock tick (instructions)" - "$why"
    return
  fi
  note "counting instructions of the handlers ($ticks calls each)"
  local pair countdown clock
  pair=$(instructions convert '*bench_convert_pair*')
  countdown=$(instructions countdown 'dv::countdown_tick*')
  clock=$(instructions clock 'dv::clock_tick*')
  local base=${pair:-?}
  if [[ -n $countdown ]]; then
    row "countdown tick (instructions)" "$countdown" "$base" "$(ratio_of "$countdown" "${pair:-0}")" - -
  else
    failed_row "countdown tick (instructions)" - "see $logs/callgrind-countdown.log"
  fi
  if [[ -n $clock ]]; then
    row "clock tick (instructions)" "$clock" "$base" "$(ratio_of "$clock" "${pair:-0}")" - -
  else
    failed_row "clock tick (instructions)" - "see $logs/callgrind-clock.log"
  fi
  remark "instruction baseline: one text_to_int + number_to_text pair; host build -Os, in-memory desktop"
}

# --- 2-4. Under Wine -----------------------------------------------------------
wine_why=""
other_win=()
if ((!win_ok)); then
  wine_why=$win_why
else
  for tool in wine wineserver winepath Xvfb xdpyinfo timeout; do
    command -v "$tool" >/dev/null || { wine_why="$tool not installed"; break; }
  done
fi

start_wine() {
  # shellcheck source=../scripts/wine-session.sh
  source "$root/scripts/wine-session.sh" || { wine_why="scripts/wine-session.sh missing"; return 1; }
  ws_begin || { wine_why="no temporary folder"; return 1; }
  note "starting Xvfb and a fresh Wine prefix"
  ws_start_xvfb 1024x768x24 || { wine_why="Xvfb did not start"; return 1; }
  ws_new_prefix || { wine_why="Wine prefix could not be created"; return 1; }
  ws_virtual_desktop dv 1024x768 || { wine_why="virtual desktop not set"; return 1; }
  exe_win=$(winepath -w "$exe" 2>/dev/null)
  bare_win=$(winepath -w "$bare" 2>/dev/null)
  countdown_win=$(winepath -w "$countdown" 2>/dev/null)
  probe_win=$(winepath -w "$probe" 2>/dev/null)
  [[ -n $exe_win && -n $bare_win && -n $countdown_win && -n $probe_win ]] ||
    { wine_why="winepath failed"; return 1; }
  other_win=()
  if [[ -n $compare_exe ]]; then
    # A folder of its own, so each program finds only its own files.
    mkdir -p "$WS_DIR/other" && cp "$compare_exe" "$WS_DIR/other/Dovrane.exe" &&
      other_win=("$(winepath -w "$WS_DIR/other/Dovrane.exe" 2>/dev/null)")
  fi
}

value_of() {  # value_of FILE PATTERN FIELD -> the field of the first matching line
  tr -d '\r' <"$1" | awk -v p="$2" -v f="$3" '$0 ~ p { print $f; exit }'
}

measure_startup() {
  local name="start-up to window ready (ms)" target='<= 1.3x bare'
  if [[ -n $wine_why ]]; then failed_row "$name" "$target" "$wine_why"; return; fi
  note "timing $starts starts of each program"
  local load
  load=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null)
  local out=$logs/startup.out rc=0
  timeout -k 5 300 wine "$probe_win" start "$starts" "$exe_win" "$bare_win" "${other_win[@]}" \
    >"$out" 2>"$logs/startup.err" || rc=$?
  local a b
  a=$(value_of "$out" '^start dovrane median' 4)
  b=$(value_of "$out" '^start bare median' 4)
  if ((rc != 0)) || [[ -z $a || -z $b ]]; then
    failed_row "$name" "$target" "driver status $rc: $(tr -d '\r' <"$out" | grep -m1 error)"
    return
  fi
  row "$name" "$a" "$b" "$(ratio_of "$a" "$b")" "$target" "$(verdict holds 'a <= 1.3 * b' "$a" "$b")"
  local fastest
  fastest=$(tr -d '\r' <"$out" | awk '$3 == "run" { if (!($2 in m) || $5 < m[$2]) m[$2] = $5 }
    END { printf "%s ms vs %s ms", m["dovrane"], m["bare"] }')
  remark "start-up: median of $starts starts each after one warm-up (fastest: $fastest); Dovrane ready = window visible with 28 visible controls, bare = visible with its 3; load average before: $load"
  if ((${#other_win[@]})); then
    local other
    other=$(value_of "$out" '^start other median' 4)
    remark "start-up of $compare_exe in the same runs: median ${other:-?} ms (this build: $a ms, ratio $(ratio_of "$a" "${other:-0}"))"
  fi
}

measure_idle() {
  local name="idle CPU, countdown running (%)" target='< 1% of one core'
  local bare_name="idle CPU against the bare window (%)"
  if [[ -n $wine_why ]]; then
    failed_row "$name" "$target" "$wine_why"
    failed_row "$bare_name" - "$wine_why"
    return
  fi
  note "measuring idle CPU over $idle_s s"
  local out=$logs/idle.out rc=0
  timeout -k 5 $((${idle_s%.*} + 120)) wine "$probe_win" idle "$idle_s" "$exe_win" "$bare_win" \
    "$countdown_win" "${other_win[@]}" >"$out" 2>"$logs/idle.err" || rc=$?
  local cpu wall moved base_cpu base_wall base_moved bare_cpu bare_wall
  cpu=$(value_of "$out" '^idle dovrane' 4) wall=$(value_of "$out" '^idle dovrane' 6)
  moved=$(value_of "$out" '^idle dovrane' 8)
  base_cpu=$(value_of "$out" '^idle countdown' 4) base_wall=$(value_of "$out" '^idle countdown' 6)
  base_moved=$(value_of "$out" '^idle countdown' 8)
  bare_cpu=$(value_of "$out" '^idle bare' 4) bare_wall=$(value_of "$out" '^idle bare' 6)
  if ((rc != 0)) || [[ -z $cpu || -z $base_cpu || -z $bare_cpu ]]; then
    local why
    why="driver status $rc: $(tr -d '\r' <"$out" | grep -m1 error)"
    failed_row "$name" "$target" "$why"
    failed_row "$bare_name" - "$why"
    return
  fi
  local pct base_pct bare_pct
  pct=$(calc %.3f '100 * a / b' "$cpu" "$wall")
  base_pct=$(calc %.3f '100 * a / b' "$base_cpu" "$base_wall")
  bare_pct=$(calc %.3f '100 * a / b' "$bare_cpu" "$bare_wall")
  # Measured against the window doing the same timer work: what Dovrane's
  # own handling of the two ticks costs beyond the bare minimum of it.
  row "$name" "$pct" "$base_pct" "$(ratio_of "$pct" "$base_pct")" "$target" \
    "$(verdict holds 'a < 1' "$pct" 0)"
  row "$bare_name" "$pct" "$bare_pct" "$(ratio_of "$pct" "$bare_pct")" - -
  remark "idle: ${cpu} ms CPU (Dovrane), ${base_cpu} ms (countdown window, the baseline: two 1 s timers writing an edit box each) and ${bare_cpu} ms (bare window, no timers) in ${wall} ms; the countdowns moved ${moved} s (Dovrane) and ${base_moved} s (countdown window) meanwhile (thread times, 10 ms resolution)"
  holds 'a >= b - 2' "${moved:-0}" "${idle_s%.*}" ||
    remark "note: the countdown moved ${moved:-?} s in ${idle_s} s: it was not running the whole time"
  holds 'a >= b - 2' "${base_moved:-0}" "${idle_s%.*}" ||
    remark "note: the countdown window moved ${base_moved:-?} s in ${idle_s} s: its timers were not running the whole time"
  if ((${#other_win[@]})); then
    local other_cpu other_moved
    other_cpu=$(value_of "$out" '^idle other' 4) other_moved=$(value_of "$out" '^idle other' 8)
    remark "idle of $compare_exe in the same run: ${other_cpu:-?} ms CPU, $(calc %.3f '100 * a / b' "${other_cpu:-0}" "$wall") %, its countdown moved ${other_moved:-?} s (this build: $cpu ms, $pct %)"
  fi
}

# Milliseconds from the last traced call matching FROM (an extended regular
# expression on the text after "Call ") to the first one matching TO after
# it, within one process (PID as the trace writes it, 4 hex digits); prints
# "<ms> <number of FROM calls before TO>".
trace_gap() {  # trace_gap FILE PID FROM TO
  tr -d '\r' <"$1" | PID=$2 FROM="Call ($3)" TO="Call ($4)" awk -F: '
    BEGIN { pid = ENVIRON["PID"]; from = ENVIRON["FROM"]; to = ENVIRON["TO"] }
    $2 != pid { next }
    $0 ~ from { start = $1; n++; next }
    $0 ~ to && start != "" { printf "%.0f %d\n", ($1 - start) * 1000, n; exit }'
}

measure_timing() {
  local name="power-off late by (ms)" target='within 100 ms'
  if [[ -n $wine_why ]]; then failed_row "$name" "$target" "$wine_why"; return; fi
  note "timing a ${shutdown_delay_ms} ms shutdown (ends the Wine session)"
  # A session of its own: whatever ran before is gone, and the power-off
  # request ends only what runs from here on.
  wineserver -k >/dev/null 2>&1
  timeout 10 wineserver -w >/dev/null 2>&1
  wineserver -p >/dev/null 2>&1
  ws_relay_include 'user32.EnableWindow;user32.SetTimer;user32.MessageBeep;user32.ExitWindowsEx' || {
    failed_row "$name" "$target" "relay trace not set"
    return
  }
  local trace_env=-all,+relay,+timestamp,+pid
  # The driver's own window timer of the same length, traced the same way.
  WINEDEBUG=$trace_env timeout -k 5 30 wine "$probe_win" timer "$shutdown_delay_ms" \
    >"$logs/timer.out" 2>"$logs/timer.trace"
  local timer_pid base_gap base=-
  timer_pid=$(tr -d '\r' <"$logs/timer.trace" |
    awk -F: '/Call user32\.MessageBeep\(00000b5e\)/ { print $2; exit }')
  [[ -n $timer_pid ]] && read -r base_gap _ < <(trace_gap "$logs/timer.trace" "$timer_pid" \
    'user32\.EnableWindow\(.*,00000000\)' 'user32\.MessageBeep\(00000b5e\)')
  [[ -n ${base_gap:-} ]] && base=$((base_gap - shutdown_delay_ms))

  local secs=$((shutdown_delay_ms / 1000))
  WINEDEBUG=$trace_env timeout -k 5 $((secs + 40)) wine "$probe_win" schedule "$exe_win" 0 0 "$secs" \
    $((secs + 20)) >"$logs/shutdown.out" 2>"$logs/shutdown.trace"
  local pid gap="" count=0
  pid=$(value_of "$logs/shutdown.out" '^pid ' 2)
  if [[ -z $pid ]]; then
    failed_row "$name" "$target" "Dovrane did not start: $(tr -d '\r' <"$logs/shutdown.out" | grep -m1 error)"
    return
  fi
  # The end of the schedule command: its last disabling EnableWindow.
  read -r gap count < <(trace_gap "$logs/shutdown.trace" "$pid" \
    'user32\.EnableWindow\(.*,00000000\)' 'user32\.ExitWindowsEx\(')
  if [[ -z $gap ]]; then
    local why="no ExitWindowsEx call in the trace"
    tr -d '\r' <"$logs/shutdown.out" | grep -qx scheduled || why="the delay was not scheduled"
    failed_row "$name" "$target" "$why (see $logs/shutdown.trace)"
    return
  fi
  local armed
  read -r armed _ < <(trace_gap "$logs/shutdown.trace" "$pid" \
    "user32\\.SetTimer\\([0-9a-f]+,[0-9a-f]+,$(printf %08x "$shutdown_delay_ms")," 'user32\.ExitWindowsEx\(')
  local late=$((gap - shutdown_delay_ms))
  row "$name" "$late" "$base" - "$target" "$(verdict holds 'a <= 100 && a >= -100' "$late" 0)"
  ((count == 4)) || remark "note: $count disabling EnableWindow calls before the power-off request, 4 expected"
  remark "power-off: ExitWindowsEx came ${gap} ms after the schedule command's last disabling EnableWindow ($count disabling calls before it); baseline: the driver's own ${shutdown_delay_ms} ms SetTimer, EnableWindow to MessageBeep"
  remark "power-off: ${armed:-?} ms after the shutdown timer was set (SetTimer of ${shutdown_delay_ms} ms)"
}

measure_size
measure_ticks
if [[ -z $wine_why ]]; then start_wine; fi
measure_startup
measure_idle
measure_timing  # last: it ends the Wine session

print_table
((measured > 0)) || exit 1
exit 0
