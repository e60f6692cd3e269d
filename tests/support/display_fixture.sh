#!/usr/bin/env bash
# The X display of the Windows tests that open windows, for when ctest runs without one (the README's
# one-test commands from a terminal without X). `start STATE` does nothing when DISPLAY is set;
# otherwise it starts a private Xvfb, restarts the prefix's Wine services on it and writes the display
# to STATE.display, where scripts/wine-run takes it from. `stop STATE` stops both again.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
command=$1
state=$2
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

stop() {
    [ -r "$state.pid" ] || return 0
    [ -r "$state.keeper" ] && kill -- "-$(cat "$state.keeper")" 2>/dev/null
    # The services were started on this display: they go with it.
    wineserver -k >/dev/null 2>&1 || true
    kill "$(cat "$state.pid")" 2>/dev/null || true
    rm -f "$state.pid" "$state.display" "$state.keeper"
}

start() {
    stop
    if [ -n "${DISPLAY:-}" ]; then
        echo "DISPLAY is $DISPLAY: the tests use it"
        return 0
    fi
    local display pid
    for display in $(seq 200 260); do
        [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ] && continue
        # Bounded like the loopback server: a killed ctest leaves no server behind for long.
        setsid timeout 1800 Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp \
            </dev/null >"$state.log" 2>&1 &
        pid=$!
        for _ in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$display" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -e "/tmp/.X11-unix/X$display" ] && kill -0 "$pid" 2>/dev/null; then
            echo "$pid" >"$state.pid"
            echo ":$display" >"$state.display"
            export DISPLAY=":$display"
            # Services already running without a display would serve the tests without one.
            # Started outside ctest's pipes: the services outlive this script.
            wineserver -k >/dev/null 2>&1 || true
            "$root/scripts/wine-run" cmd /c exit </dev/null >/dev/null 2>&1
            wineserver -p </dev/null >/dev/null 2>&1
            # Keeps the desktop process for the run, as scripts/test does.
            setsid bash -c 'sleep infinity | wine cmd /k' </dev/null >/dev/null 2>&1 &
            echo $! >"$state.keeper"
            echo "Xvfb on :$display (pid $pid)"
            return 0
        fi
        kill "$pid" 2>/dev/null || true
    done
    echo "could not start Xvfb; its output:"
    cat "$state.log" 2>/dev/null
    return 1
}

case $command in
    start) start ;;
    stop) stop ;;
    *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
