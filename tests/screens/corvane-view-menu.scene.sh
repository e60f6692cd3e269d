#!/usr/bin/env bash
# corvane view: the news window with the merged Cor&vane menu open
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
news_scene_window
# The menu bar's first item is the view's "Cor&vane".
news_click "$news_window_id" 30 34
sleep 1
scene_shoot "$1"
xdotool key Escape
sleep 0.3
news_close_window "$news_window_id"
