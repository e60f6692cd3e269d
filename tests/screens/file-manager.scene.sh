#!/usr/bin/env bash
# Wine's file manager showing a news folder of the sample feed, three messages labelled, the first chosen
# Run by scripts/screens with the PNG's path. The DLL is registered in the prefix for the shot and
# unregistered again; the folder is made under /tmp and removed.
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
png=$1
build=$CORVANE_ROOT/build/win64
exe=$build/cli/corvane.exe
dll=$build/server/corvane.dll
helper=$build/tests/screens/corvane_screens.exe

work=$(mktemp -d /tmp/corvane-file-manager.XXXXXX)
folder=$work/Harbour\ Town\ News
explorer_pid="" helper_pid="" server_pid=""
cleanup() {
    touch "$work/done"
    [ -n "$helper_pid" ] && { kill "$helper_pid" 2>/dev/null || true; wait "$helper_pid" 2>/dev/null || true; }
    [ -n "$explorer_pid" ] && { kill "$explorer_pid" 2>/dev/null || true; wait "$explorer_pid" 2>/dev/null || true; }
    wine regsvr32 /s /u "Z:$dll" >/dev/null 2>&1 || true
    [ -n "$server_pid" ] && { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT

# The sample feed on 127.0.0.1, for a minute at most.
python3 - "$CORVANE_ROOT/samples" "$work/port" <<'PY' &
import functools, http.server, sys, threading
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=sys.argv[1]))
open(sys.argv[2] + ".tmp", "w").write(str(server.server_address[1]))
__import__("os").replace(sys.argv[2] + ".tmp", sys.argv[2])
threading.Timer(60, server.shutdown).start()
server.serve_forever()
PY
server_pid=$!
for _ in $(seq 1 50); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "the sample feed server did not start"; exit 1; }

mkdir -p "$folder"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
wine "$exe" create "$(windows_path "$folder")"
wine "$exe" config "$(windows_path "$folder")" --url "http://127.0.0.1:$(cat "$work/port")/sample-feed.xml"
wine "$exe" update "$(windows_path "$folder")"
wine "$exe" label "$(windows_path "$folder")" 1 2
wine "$exe" label "$(windows_path "$folder")" 3 5
wine "$exe" label "$(windows_path "$folder")" 5 7
wine regsvr32 /s "Z:$dll"

wine explorer "$(windows_path "$folder")" &
explorer_pid=$!
wine "$helper" file-manager-select "$(windows_path "$work/ready")" "$(windows_path "$work/done")" &
helper_pid=$!
for _ in $(seq 1 400); do
    [ -e "$work/ready" ] && break
    kill -0 "$helper_pid" 2>/dev/null || break
    sleep 0.1
done
[ -e "$work/ready" ] || { echo "the news view did not show in the file manager"; exit 1; }
scene_shoot "$png"
