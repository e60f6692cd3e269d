#!/usr/bin/env bash
# corvane view: Tab from the list into the page and on to its first link, which shows selected
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
news_scene_window
news_click "$news_window_id" 180 120
sleep 0.5
xdotool key Tab
sleep 0.3
xdotool key Tab
sleep 0.8
scene_shoot "$1"
news_close_window "$news_window_id"
