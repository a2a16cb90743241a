#!/usr/bin/env bash
# End-to-end checks of Dovrane.exe under Wine in a virtual X server.
#
#   tests/e2e/run.sh <windows build dir>
#
# Needs the build dir to hold Dovrane.exe and tests/e2e/dovrane_e2e.exe
# (cmake --preset windows -B DIR && cmake --build DIR). Each run makes a
# fresh Wine prefix and X display, runs every scenario of the driver on one
# 1024x768 desktop, and removes it all again on any way out.
#
# Prints one line per check and then "N passed, M failed". Exit code: 0 when
# all passed, 1 when a check failed, 2 when the environment could not come
# up. Logs, relay traces and screenshots stay in $E2E_ARTIFACTS (default
# <build dir>/e2e-artifacts).
#
# DOVRANE_SAVE_DOCS=1 also writes the screenshots of the started window and
# of a running countdown to docs/window.png and docs/countdown.png.
#
# The last scenario lets a 3 s shutdown delay run out: the program's
# power-off request ends the whole Wine session, so it is judged from the
# relay trace alone.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source-path=SCRIPTDIR/../.. source=scripts/wine-session.sh
source "$root/scripts/wine-session.sh"

build=${1:-}
if [[ -z $build || ! -d $build ]]; then
  echo "usage: $0 <windows build dir>" >&2
  exit 2
fi
build=$(cd "$build" && pwd)
artifacts=${E2E_ARTIFACTS:-$build/e2e-artifacts}

passed=0
failed=0

summary() { echo "$passed passed, $failed failed"; }

environment_failure() {
  echo "ENVIRONMENT FAILURE: $* -- no check of the program was run"
  failed=$((failed + 1))
  summary
  exit 2
}

record() {  # record PASS|FAIL "text"
  if [[ $1 == PASS ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  echo "$1 $2"
}

for tool in wine wineserver winepath Xvfb xdpyinfo import convert identify timeout; do
  command -v "$tool" >/dev/null 2>&1 ||
    environment_failure "$tool not installed (run scripts/install-deps.sh as root)"
done

exe=$build/Dovrane.exe
driver=
for candidate in "$build/tests/e2e/dovrane_e2e.exe" "$build/dovrane_e2e.exe"; do
  [[ -f $candidate ]] && driver=$candidate && break
done
[[ -f $exe ]] || environment_failure "$exe not found (build the windows preset first)"
[[ -n $driver ]] || environment_failure "dovrane_e2e.exe not found under $build"

rm -rf "$artifacts"
mkdir -p "$artifacts" || environment_failure "cannot create $artifacts"

ws_begin || environment_failure "no temporary folder"
ws_start_xvfb 1024x768x24 || environment_failure "Xvfb did not start"
ws_new_prefix || environment_failure "Wine prefix could not be created"
ws_virtual_desktop dv 1024x768 || environment_failure "virtual desktop not set"
# Functions whose calls the scenarios look at. ExitWindowsEx must never be
# called by any of them: a power-off request would end this Wine session.
ws_relay_include 'user32.MessageBeep;user32.MessageBoxA;user32.ExitWindowsEx;shell32.ShellExecuteA;user32.SetTimer' ||
  environment_failure "relay trace not set"
ws_set_browser "$(ws_browser_recorder "$artifacts/browser.log")" ||
  environment_failure "browser not redirected"

exe_win=$(winepath -w "$exe" 2>/dev/null)
driver_win=$(winepath -w "$driver" 2>/dev/null)
[[ -n $exe_win && -n $driver_win ]] || environment_failure "winepath failed"

# Collects the PASS/FAIL lines of one driver run. A run must end with its
# END line: without it the driver was killed (timeout, or the Wine session
# was shut down under it).
collect() {  # collect SCENARIO RC OUTFILE
  local scenario=$1 rc=$2 out=$3 line fails=0
  while IFS= read -r line; do
    case $line in
      "PASS "*) record PASS "[$scenario] ${line#PASS }" ;;
      "FAIL "*) record FAIL "[$scenario] ${line#FAIL }"; fails=$((fails + 1)) ;;
      "END "*) ;;
      *) echo "  [$scenario] $line" ;;
    esac
  done < <(tr -d '\r' <"$out")
  if ! tr -d '\r' <"$out" | grep -qx "END $scenario"; then
    local why="it was killed, exit status $rc"
    ((rc == 124 || rc == 137)) && why="timed out"
    record FAIL "[$scenario] driver ended without its END line ($why); see $artifacts/$scenario.err"
  elif ((rc != 0 && fails == 0)); then
    record FAIL "[$scenario] driver exit status $rc without a failed check"
  fi
}

run_scenario() {  # run_scenario NAME [extra driver args]
  local name=$1
  shift
  local rc=0 limit=60
  # Many program starts in one run.
  [[ $name == copies || $name == badinput ]] && limit=150
  ws_relay_run "$artifacts/$name.err" \
    timeout -k 5 "$limit" wine "$driver_win" "$name" "$exe_win" "$@" >"$artifacts/$name.out" || rc=$?
  collect "$name" "$rc" "$artifacts/$name.out"
}

# Calls of a function in a relay trace: "pid:tid:Call module.Function(args)".
traced_calls() {  # traced_calls FILE module.Function
  grep -a ":Call $2(" "$1" 2>/dev/null
}

# --- The relay trace itself works ------------------------------------------
run_scenario relay-probe
if grep -q 'Call user32.MessageBeep(00004d56)' "$artifacts/relay-probe.err"; then
  record PASS "[relay] trace records a listed call: user32.MessageBeep(00004d56)"
else
  record FAIL "[relay] trace records a listed call: no user32.MessageBeep(00004d56) in $artifacts/relay-probe.err"
fi
# ShellExecuteA on an https address reaches winebrowser, which hands it to
# the recording command instead of a browser (asynchronously).
if ws_wait_for 15 grep -qx 'https://e2e-probe.invalid/open' "$artifacts/browser.log" 2>/dev/null &&
  grep -q 'Call shell32.ShellExecuteA(' "$artifacts/relay-probe.err"; then
  record PASS "[relay] ShellExecuteA traced and its address reached the recording browser"
else
  record FAIL "[relay] ShellExecuteA probe: expected a traced call and https://e2e-probe.invalid/open in $artifacts/browser.log"
fi

# --- Window and controls at start -------------------------------------------
run_scenario layout

# --- Screenshots of the window as shown -------------------------------------
# The driver keeps the window up until the stop file exists and prints
# "READY x y w h" (the window's screen rectangle) once it is painted.
run_until_stopped() {  # run_until_stopped SCENARIO STOPFILE
  ws_relay_run "$artifacts/$1.err" \
    timeout -k 5 60 wine "$driver_win" "$1" "$exe_win" "$(winepath -w "$2" 2>/dev/null)" >"$artifacts/$1.out"
}

screenshot_of() {  # screenshot_of SCENARIO DOCS_NAME
  local scenario=$1 docs_name=$2 stop_file=$WS_DIR/$1.stop rc=0
  ws_spawn run_until_stopped "$scenario" "$stop_file"
  local pid=$WS_LAST_PID
  if ws_wait_for 20 grep -qs "^READY" "$artifacts/$scenario.out"; then
    local shot=$artifacts/$scenario-screen.png crop=$artifacts/$scenario.png x y w h
    read -r x y w h < <(grep -a '^READY' "$artifacts/$scenario.out" | tr -d '\r' | head -1 | cut -d' ' -f2-)
    if ws_screenshot "$shot" && [[ -s $shot ]] && ws_crop "$shot" "$crop" "$x" "$y" "$w" "$h" 6; then
      local size colours
      size=$(identify -format '%wx%h' "$shot" 2>/dev/null)
      # The window's own rectangle must be painted (caption, controls,
      # texts), not one flat colour.
      colours=$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -format '%k' info: 2>/dev/null)
      if [[ $size == 1024x768 && ${colours:-0} -ge 16 ]]; then
        record PASS "[$scenario] screenshot $crop: window ${w}x${h} at $x,$y on $size, $colours colours"
      else
        record FAIL "[$scenario] screenshot: expected 1024x768 with a painted window area, got ${size:-?} with ${colours:-?} colours"
      fi
      if [[ ${DOVRANE_SAVE_DOCS:-0} == 1 ]]; then
        mkdir -p "$root/docs" && cp "$crop" "$root/docs/$docs_name" &&
          echo "  [$scenario] saved $root/docs/$docs_name"
      fi
    else
      record FAIL "[$scenario] screenshot could not be taken (import failed, see $WS_DIR/import.log)"
    fi
  fi
  touch "$stop_file"
  wait "$pid" || rc=$?
  collect "$scenario" "$rc" "$artifacts/$scenario.out"
}

screenshot_of show window.png

# --- Scheduling --------------------------------------------------------------
run_scenario schedule
# The program shows its boxes with MessageBoxA(NULL, text, caption,
# MB_OK | MB_TASKMODAL): owner 00000000, flags 00002000.
boxes=$(grep -c 'Call user32.MessageBoxA(' "$artifacts/schedule.err")
bad=$(grep 'Call user32.MessageBoxA(' "$artifacts/schedule.err" | grep -v 'MessageBoxA(00000000,.*,00002000) ret=')
if ((boxes == 1)) && [[ -z $bad ]]; then
  record PASS "[relay] schedule: 1 MessageBoxA call, no owner, MB_OK|MB_TASKMODAL"
else
  record FAIL "[relay] schedule: expected 1 MessageBoxA(00000000,...,00002000), got $boxes call(s): ${bad:-(flags fine)}"
fi

run_scenario empty
run_scenario overlong
run_scenario closebutton
run_scenario sysclose

# --- Clock, countdown, cancelled shutdown ------------------------------------
run_scenario clock
run_scenario countdown
run_scenario fold
run_scenario closecountdown
# 关闭 came before the 3 s delay ran out: no power-off request afterwards
# (the driver stayed 5 s past the scheduling to give it the chance).
calls=$(traced_calls "$artifacts/closecountdown.err" user32.ExitWindowsEx)
if [[ -z $calls ]]; then
  record PASS "[relay] closecountdown: no ExitWindowsEx call after 关闭"
else
  record FAIL "[relay] closecountdown: expected no ExitWindowsEx call, got: $calls"
fi

# --- Unusual input, many copies ------------------------------------------------
run_scenario badinput
run_scenario copies

# --- Looks, keys, link, repaints, resources ---------------------------------
run_scenario pixels
run_scenario keys
before=$(grep -cx 'https://www.lumtrek.com/' "$artifacts/browser.log" 2>/dev/null)
run_scenario link
# One press, one shell call: owner none (no window titled "Microsoft
# Internet Explorer"), verb "open", the site, SW_SHOWNORMAL; and winebrowser
# hands the address to the recording browser once.
calls=$(traced_calls "$artifacts/link.err" shell32.ShellExecuteA)
n=$(grep -c . <<<"$calls")
if ((n == 1)) && grep -q ':Call shell32.ShellExecuteA(00000000,[0-9a-f]* "open",[0-9a-f]* "https://www.lumtrek.com/",00000000,00000000,00000001)' <<<"$calls"; then
  record PASS "[relay] link: one call ${calls#*:Call }"
else
  record FAIL "[relay] link: expected one ShellExecuteA(00000000,\"open\",\"https://www.lumtrek.com/\",0,0,00000001), got $n: ${calls:-none}"
fi
ws_wait_for 15 test "$(grep -cx 'https://www.lumtrek.com/' "$artifacts/browser.log" 2>/dev/null)" -gt "${before:-0}"
sleep 1  # a second, late copy of the address would show up here
opened=$(($(grep -cx 'https://www.lumtrek.com/' "$artifacts/browser.log" 2>/dev/null) - ${before:-0}))
if ((opened == 1)); then
  record PASS "[link] the recording browser received https://www.lumtrek.com/ once"
else
  record FAIL "[link] the recording browser: expected https://www.lumtrek.com/ once, got it $opened time(s)"
fi
run_scenario stress
screenshot_of show-countdown countdown.png
run_scenario resources

# --- Nothing asked the system to power off -----------------------------------
calls=$(cat "$artifacts"/*.err | grep -a -c ':Call user32.ExitWindowsEx(')
if ((calls == 0)); then
  record PASS "[relay] no ExitWindowsEx call in any scenario so far"
else
  record FAIL "[relay] ExitWindowsEx called $calls time(s): $(cat "$artifacts"/*.err | grep -a ':Call user32.ExitWindowsEx(' | head -3)"
fi

# --- Last: a 3 s delay runs out ----------------------------------------------
# The power-off request ends every process of this Wine session, the driver
# included, so nothing may run after this. The driver prints the program's
# process id ("PID 04f0") and must not get to its END line.
rc=0
ws_relay_run_timed "$artifacts/poweroff.err" \
  timeout -k 5 60 wine "$driver_win" poweroff "$exe_win" >"$artifacts/poweroff.out" || rc=$?
while IFS= read -r line; do
  case $line in
    "PASS "*) record PASS "[poweroff] ${line#PASS }" ;;
    "FAIL "*) record FAIL "[poweroff] ${line#FAIL }" ;;
    *) echo "  [poweroff] $line" ;;
  esac
done < <(tr -d '\r' <"$artifacts/poweroff.out")
pid=$(tr -d '\r' <"$artifacts/poweroff.out" | awk '$1 == "PID" { print $2 }')
calls=$(traced_calls "$artifacts/poweroff.err" user32.ExitWindowsEx)
n=$(grep -c . <<<"$calls")
if [[ -n $pid ]] && ((n == 1)) && grep -q "^[0-9.]*:$pid:[0-9a-f]*:Call user32.ExitWindowsEx(0000000c,00000000)" <<<"$calls"; then
  record PASS "[relay] poweroff: one call by the program: ${calls#*:Call }"
else
  record FAIL "[relay] poweroff: expected one ExitWindowsEx(0000000c,00000000) by process ${pid:-?}, got $n: ${calls:-none}"
fi
# From the shutdown timer's start (SetTimer with 3000 ms) to the request.
set_at=$(traced_calls "$artifacts/poweroff.err" user32.SetTimer | grep "^[0-9.]*:${pid:-none}:.*,00000bb8,00000000)" | head -1 | cut -d: -f1)
exit_at=$(head -1 <<<"$calls" | cut -d: -f1)
if [[ -n $set_at && -n $exit_at ]]; then
  after_ms=$(awk -v a="$set_at" -v b="$exit_at" 'BEGIN { printf "%d", (b - a) * 1000 + 0.5 }')
  echo "  [poweroff] information: ExitWindowsEx came $after_ms ms after SetTimer(...,3000 ms)"
  if ((after_ms >= 2990 && after_ms <= 5000)); then
    record PASS "[poweroff] power-off request not before the 3 s delay and at most 2 s late: $after_ms ms"
  else
    record FAIL "[poweroff] power-off request: expected 2990..5000 ms after SetTimer(...,3000), got $after_ms ms"
  fi
else
  record FAIL "[poweroff] timing: no SetTimer(...,00000bb8) or no ExitWindowsEx line with a timestamp in $artifacts/poweroff.err"
fi
if tr -d '\r' <"$artifacts/poweroff.out" | grep -qx 'END poweroff'; then
  record FAIL "[poweroff] the driver outlived the power-off request (exit status $rc): the session was not ended"
else
  record PASS "[poweroff] the session ended under the driver (exit status $rc), as a power-off request does"
fi

summary
((failed == 0))
