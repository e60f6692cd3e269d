#!/usr/bin/env bash
# Runs the installer tests (the Windows program $1 with the rest as its arguments) in a Wine prefix made
# for this run and removed after it: installing and removing the package never touches the prefix
# that the other tests share, even when a case fails half-way or the run is killed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/corvane-installer.XXXXXX")
export WINEPREFIX=$scratch/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

"$root/scripts/wine-prefix" "$WINEPREFIX"
# Wine's services start once, outside the test, so msiexec and regsvr32 do not each wait for them.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$@"
