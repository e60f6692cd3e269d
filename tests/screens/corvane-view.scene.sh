#!/usr/bin/env bash
# corvane view: the news window of the sample feed, labelled rows, a message's page and the status text
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
scene_shoot "$out"
news_close_window "$id"
