#!/usr/bin/env bash
# One news folder used by both builds: made by the native command, configured and updated by
# corvane.exe under Wine, listed by both with the same rows and ids, labelled on one side and
# seen on the other, and removed by the native command.
#   cross_build.sh NATIVE_CORVANE WINDOWS_CORVANE_EXE SERVER_STATE
# Exits 77 (skipped) when the native build is not there.
set -euo pipefail
native=$1
windows=$2
state=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -x "$native" ] || { echo "no native build at $native"; exit 77; }

folder=$(mktemp -d "${TMPDIR:-/tmp}/corvane-cross.XXXXXX")
trap 'rm -rf "$folder"' EXIT
win() { "$here/../../scripts/wine-run" "$windows" "$@"; }
winfolder="Z:$folder"
port=$(cut -d' ' -f1 "$state.port")
url="http://127.0.0.1:$port/feed?items=12"

"$native" create "$folder"
win config "$winfolder" --url "$url" --set formatTime=dmy
win update "$winfolder" --quiet
native_rows=$("$native" list "$folder" --json --sort date)
windows_rows=$(win list "$winfolder" --json --sort date)
[ "$native_rows" = "$windows_rows" ] || { echo "the builds list the folder differently"; diff <(echo "$native_rows") <(echo "$windows_rows"); exit 1; }
[ "$(grep -c '"row"' <<<"$native_rows")" -eq 12 ] || { echo "expected 12 rows"; exit 1; }

win label "$winfolder" 4 0 --sort title
"$native" list "$folder" --json --sort title | grep -q '"title": "Message 0", .*"label": 4' ||
    { echo "the label set by the Windows build is not seen natively"; exit 1; }
"$native" delete "$folder" 0 --yes --sort title
win update "$winfolder" --quiet
[ "$(win list "$winfolder" --json | grep -c '"row"')" -eq 11 ] || { echo "a deleted message came back"; exit 1; }

"$native" remove "$folder" --yes
[ ! -e "$folder/desktop.ini" ] && [ ! -e "$folder/corvane.xml" ] || { echo "remove left files behind"; exit 1; }
echo "cross-build: passed"
