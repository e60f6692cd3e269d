#!/usr/bin/env bash
# Runs a Windows test program at another display scaling: in a Wine prefix made for this run (and
# removed after it) whose LogPixels is $1, so the prefix the other tests share keeps 96 DPI. $2 is a
# scratch folder of this run's own (emptied first: a killed run leaves it behind), $3 the program, the
# rest its arguments. The X display is the tests' own (CORVANE_DISPLAY_STATE) unless DISPLAY is set.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dpi=$1
scratch=$2
shift 2
export WINEPREFIX=$scratch/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ] && [ -n "${CORVANE_DISPLAY_STATE:-}" ] && [ -r "$CORVANE_DISPLAY_STATE.display" ]; then
    DISPLAY=$(cat "$CORVANE_DISPLAY_STATE.display")
    export DISPLAY
fi

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

rm -rf "$scratch"
"$root/scripts/wine-prefix" "$WINEPREFIX"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The setting is read when the prefix's services start: after it, and before the test.
wineserver -w
wineserver -p10
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$@"
