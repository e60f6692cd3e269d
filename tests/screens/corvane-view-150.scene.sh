#!/usr/bin/env bash
# corvane view at 150% scaling (Wine's LogPixels 144): the columns scaled, no date cut
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
desktop='HKCU\Control Panel\Desktop'
news_wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
news_scene_work=$(mktemp -d)
# The prefix is shared with the other scenes: its scaling goes back to the default whatever happens.
trap 'news_wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true; rm -rf "$news_scene_work"' EXIT
news_sample_folder "$news_scene_work/Harbourtown news"
news_open_window "$news_scene_work/Harbourtown news"
sleep 2
news_click "$news_window_id" 180 300
sleep 1.5
scene_shoot "$1"
news_close_window "$news_window_id"
