# Helpers for the scenes of `corvane view` and for `scripts/demo --windows`: a news folder filled
# from the sample feed, and the news window on it. Needs CORVANE_ROOT, WINEPREFIX and DISPLAY; the
# win64 build's corvane.exe must exist.

news_exe=$CORVANE_ROOT/build/win64/cli/corvane.exe
news_server_pid=""
news_window_pid=""
news_window_id=""

news_wine() {
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$@" </dev/null
}

# Serves samples/ (or the folder $1) on 127.0.0.1 for at most two minutes; sets news_feed_url to
# its sample-feed.xml (or the file $2).
news_serve_samples() {
    local port_file served=${1:-$CORVANE_ROOT/samples} feed=${2:-sample-feed.xml}
    port_file=$(mktemp)
    python3 - "$served" "$port_file" <<'PY' &
import functools, http.server, sys, threading
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
handler = functools.partial(Quiet, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
open(sys.argv[2], "w").write(str(server.server_address[1]))
threading.Timer(120, server.shutdown).start()
server.serve_forever()
PY
    news_server_pid=$!
    for _ in $(seq 1 300); do [ -s "$port_file" ] && break; sleep 0.1; done
    [ -s "$port_file" ] || { echo "the sample feed's server did not start within 30 s" >&2; rm -f "$port_file"; return 1; }
    news_feed_url="http://127.0.0.1:$(cat "$port_file")/$feed"
    rm -f "$port_file"
}

news_stop_server() {
    [ -n "$news_server_pid" ] && { kill "$news_server_pid" 2>/dev/null || true; wait "$news_server_pid" 2>/dev/null || true; }
    news_server_pid=""
}

# Makes $1 a news folder of the sample feed through corvane.exe: created, given the feed served on
# 127.0.0.1, updated, its first five rows labelled 1 to 5 so that colours and bold show, and some
# rows read so that the unread dots stand beside read rows of either kind.
news_sample_folder() {
    local folder=$1 windows
    mkdir -p "$folder"
    windows=$(winepath -w "$folder" 2>/dev/null)
    news_serve_samples
    news_wine "$news_exe" create "$windows"
    news_wine "$news_exe" config "$windows" --url "$news_feed_url" --set displayTime=on --set rememberPosition=on
    news_wine "$news_exe" update "$windows" --quiet
    news_stop_server
    local label
    for label in 1 2 3 4 5; do
        news_wine "$news_exe" label "$windows" "$label" "$((label - 1))" >/dev/null
    done
    news_wine "$news_exe" read "$windows" 1 3 5 6 8 >/dev/null 2>&1
}

# Opens `corvane view` on $1 in the background and sets news_window_id to the X window of the news
# window (news_window_pid is the process).
news_open_window() {
    local folder=$1
    news_wine "$news_exe" view "$(winepath -w "$folder" 2>/dev/null)" >/dev/null &
    news_window_pid=$!
    news_window_id=$(scene_wait_for_window "$(basename "$folder")" 30) ||
        { echo "the news window of $folder did not appear within 30 s" >&2; return 1; }
}

# Shows the news window as a person would set it up for reading: the Description column widened
# (dragging its right edge in the header) and an unlabelled row with some markup selected, so the
# page shows a message and the labelled rows above keep their colours.
news_arrange_window() {
    local id=$1
    xdotool mousemove --window "$id" 475 51 mousedown 1 mousemove --window "$id" 600 51 \
        mousemove --window "$id" 700 51 mouseup 1
    sleep 0.5
    news_click "$id" 120 193
    sleep 1.5
}

# A click of the left button at a point of the X window $1 (x $2, y $3 from its top left corner).
news_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Closes the news window as its own close button would, and waits until corvane.exe has ended.
news_close_window() {
    local id=$1
    xdotool mousemove --window "$id" 500 10 click 1 key --clearmodifiers alt+F4 2>/dev/null || true
    for _ in $(seq 1 100); do
        kill -0 "$news_window_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$news_window_pid" 2>/dev/null; then
        echo "the news window did not close" >&2
        return 1
    fi
    wait "$news_window_pid"
}

# For a scene: opens the news window on a fresh news folder of the sample feed (removed when the
# scene ends) and arranges it for the picture; the window is news_window_id.
news_scene_window() {
    news_scene_work=$(mktemp -d)
    trap 'rm -rf "$news_scene_work"' EXIT
    news_sample_folder "$news_scene_work/Harbourtown news"
    news_open_window "$news_scene_work/Harbourtown news"
    sleep 2
    news_arrange_window "$news_window_id"
}
