#!/usr/bin/env bash
# corvane view: the news window with the merged Cor&vane menu open
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/Harbourtown news"
news_sample_folder "$folder"
news_open_window "$folder"
id=$news_window_id
sleep 2
news_arrange_window "$id"
# The menu bar's first item is the view's "Cor&vane".
news_click "$id" 30 "34"
sleep 1
scene_shoot "$out"
xdotool key Escape
sleep 0.3
news_close_window "$id"
