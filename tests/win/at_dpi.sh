#!/usr/bin/env bash
# Runs a Windows test program at another display scaling: in a Wine prefix of its own whose LogPixels
# is $1, so the prefix the other tests share keeps 96 DPI. $2 is a scratch folder of this run's own,
# $3 the program, the rest its arguments. The X display is the tests' own (CORVANE_DISPLAY_STATE)
# unless DISPLAY is set.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/tests/win/own_prefix.sh"
dpi=$1
scratch=$2
shift 2
if [ -z "${DISPLAY:-}" ] && [ -n "${CORVANE_DISPLAY_STATE:-}" ] && [ -r "$CORVANE_DISPLAY_STATE.display" ]; then
    DISPLAY=$(cat "$CORVANE_DISPLAY_STATE.display")
    export DISPLAY
fi
make_own_prefix "$scratch"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The setting is read when the prefix's services start: after it, and before the test.
wineserver -w
start_own_prefix
wine "$@"
