#!/usr/bin/env bash
# Smoke test of the whole program under Xvfb: start it on a folder holding one sample
# recording, play it with a double-click, take screenshots, end it with Escape, and check
# that it exited cleanly and that the screen shows playback (app_smoke_check).
set -euo pipefail
player=$1 maker=$2 check=$3 work=$4

rm -rf "$work"
mkdir -p "$work/samples" "$work/folder"
"$maker" "$work/samples" 12 >/dev/null
cp "$work"/samples/*_A7L.MOV "$work/folder/"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
fi

export PLAYER=$player FOLDER=$work/folder WORK=$work
xvfb-run -a -s "-screen 0 1280x1024x24" bash -euo pipefail -c '
  "$PLAYER" "$FOLDER" >"$WORK/player.log" 2>&1 &
  pid=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "^Player$" | head -n1)
  sleep 2
  import -window "$win" "$WORK/idle.png"
  # Row 0 of the play list (the list starts at 693,68; its header is above the rows).
  xdotool mousemove --window "$win" 760 98 click --repeat 2 --delay 100 1
  sleep 4
  import -window "$win" "$WORK/playing.png"
  xdotool windowfocus --sync "$win" key --clearmodifiers Escape || true
  for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "still running after Escape"; kill $pid; exit 1; fi
  wait $pid
  echo "exit code $?"
' | tee "$work/run.log"
grep -qx "exit code 0" "$work/run.log"
QT_QPA_PLATFORM=offscreen "$check" "$work/idle.png" "$work/playing.png"
