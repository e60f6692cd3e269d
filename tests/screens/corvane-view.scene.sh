#!/usr/bin/env bash
# corvane view: the news window of the sample feed, labelled rows, a message's page and the status text
set -euo pipefail
source "$CORVANE_ROOT/tests/screens/scene-lib.sh"
source "$CORVANE_ROOT/tests/screens/news-window-lib.sh"
news_scene_window
scene_shoot "$1"
news_close_window "$news_window_id"
