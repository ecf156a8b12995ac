#!/usr/bin/env bash
# Runs a command on the X display of xvfb-run with the openbox window manager, which
# full screen needs: xvfb-run -a tests/playback/with_window_manager.sh COMMAND [ARG...]
set -uo pipefail
home=$(mktemp -d)
trap 'kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null; rm -rf "$home"' EXIT
HOME=$home openbox --sm-disable >"$home/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.2
done
"$@"
