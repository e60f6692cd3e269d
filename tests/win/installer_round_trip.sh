#!/usr/bin/env bash
# Runs the installer tests in a Wine prefix made for this run and removed after it, so installing and
# removing the package never touches the prefix that the other tests share, even when a case fails
# half-way. $1 is a scratch folder of this run's own (emptied first: a killed run leaves it behind),
# $2 the Windows test program, the rest its arguments.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$1
shift
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

rm -rf "$scratch"
"$root/scripts/wine-prefix" "$WINEPREFIX"
# Wine's services start before the test, so its first msiexec does not wait for them; the server ends
# by itself soon after its last process even if this script is killed.
wineserver -p10
wine cmd /c exit </dev/null >/dev/null 2>&1
wine "$@"
