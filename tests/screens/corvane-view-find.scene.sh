#!/usr/bin/env bash
# corvane view: the find bar above the list, filtering the messages by a typed word
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
news_scene_window
# A row first, so the keys go to the view; then Ctrl+F and a word.
news_click "$news_window_id" 180 120
sleep 0.5
xdotool key --clearmodifiers ctrl+f
sleep 0.5
xdotool type --delay 80 "harbour"
sleep 1
scene_shoot "$1"
xdotool key Escape
sleep 0.3
news_close_window "$news_window_id"
