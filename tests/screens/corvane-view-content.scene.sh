#!/usr/bin/env bash
# corvane view: a blog's message whose feed carries its full text, shown on the page in place of the teaser
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/Allotment notes"
mkdir -p "$folder"
windows=$(winepath -w "$folder" 2>/dev/null)
news_serve_samples "$CORVANE_ROOT/tests/data/feeds" blog-rss.xml
news_wine "$news_exe" create "$windows"
news_wine "$news_exe" config "$windows" --url "$news_feed_url"
news_wine "$news_exe" update "$windows" --quiet
news_stop_server
news_open_window "$folder"
sleep 2
# The first row: the message whose description is a teaser and whose content is the whole post.
news_click "$news_window_id" 120 72
sleep 1.5
scene_shoot "$1"
news_close_window "$news_window_id"
