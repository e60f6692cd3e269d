# Helpers for script scenes (tests/screens/NAME.scene.sh), sourced by them. scripts/screens sets
# DISPLAY (a private Xvfb), WINEPREFIX, CORVANE_ROOT and CORVANE_SCENE_SERVER (the base URL of the tests' loopback
# server) before it runs a scene.

# Waits up to $2 seconds (default 30) for a window whose name contains $1; prints its X window id.
scene_wait_for_window() {
    local name=$1 seconds=${2:-30} id
    for _ in $(seq 1 $((seconds * 10))); do
        id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$name" | head -n 1 | awk '{print $1}')
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Photographs the whole screen, trimmed to what is drawn, into $1.
scene_shoot() {
    import -display "$DISPLAY" -window root -trim +repage "$1"
}
