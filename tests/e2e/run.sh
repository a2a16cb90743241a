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
# up. Logs, relay traces and a screenshot stay in $E2E_ARTIFACTS (default
# <build dir>/e2e-artifacts).
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
ws_relay_include 'user32.MessageBeep;user32.MessageBoxA;user32.ExitWindowsEx;shell32.ShellExecuteA' ||
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
  local rc=0
  ws_relay_run "$artifacts/$name.err" \
    timeout -k 5 60 wine "$driver_win" "$name" "$exe_win" "$@" >"$artifacts/$name.out" || rc=$?
  collect "$name" "$rc" "$artifacts/$name.out"
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

# --- Screenshot of the window as shown ---------------------------------------
stop_file=$WS_DIR/show.stop
stop_win=$(winepath -w "$stop_file" 2>/dev/null)
run_show() {
  ws_relay_run "$artifacts/show.err" \
    timeout -k 5 60 wine "$driver_win" show "$exe_win" "$stop_win" >"$artifacts/show.out"
}
ws_spawn run_show
show_pid=$WS_LAST_PID
if ws_wait_for 20 grep -q '^READY' "$artifacts/show.out"; then
  shot=$artifacts/window.png
  if ws_screenshot "$shot" && [[ -s $shot ]]; then
    size=$(identify -format '%wx%h' "$shot" 2>/dev/null)
    # The window's own rectangle must be painted (caption, controls, texts),
    # not one flat colour.
    colours=$(convert "$shot" -crop 180x305+422+231 +repage -format '%k' info: 2>/dev/null)
    if [[ $size == 1024x768 && ${colours:-0} -ge 16 ]]; then
      record PASS "[show] screenshot $shot: ${size}, window area has $colours colours"
    else
      record FAIL "[show] screenshot $shot: expected 1024x768 with a painted window area, got ${size:-?} with ${colours:-?} colours"
    fi
  else
    record FAIL "[show] screenshot could not be taken (import failed, see $WS_DIR/import.log)"
  fi
fi
touch "$stop_file"
show_rc=0
wait "$show_pid" || show_rc=$?
collect show "$show_rc" "$artifacts/show.out"

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

# --- Nothing asked the system to power off -----------------------------------
calls=$(cat "$artifacts"/*.err | grep -c 'Call user32.ExitWindowsEx(')
if ((calls == 0)); then
  record PASS "[relay] no ExitWindowsEx call in any scenario"
else
  record FAIL "[relay] ExitWindowsEx called $calls time(s): $(cat "$artifacts"/*.err | grep 'Call user32.ExitWindowsEx(' | head -3)"
fi

summary
((failed == 0))
