#!/usr/bin/env bash
# Whole-process CPU of the player playing a 30 s sample recording with the map shown, against
# the playback engine alone (bench/playback's play_clip) on the same clip at the size of the
# player's video area, one after the other on the same Xvfb display.
#   bench/app/run-player-bench.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/bench-setup.sh
build=${1:-build}
work=${PLAYER_BENCH_DIR:-/tmp/player-bench}
mkdir -p "$work"

cmake --build "$build" --target dashcam-player play_clip make-sample-recordings >/dev/null
clip=$(ls "$work"/*_A7L.MOV 2>/dev/null | head -n1 || true)
if [ -z "$clip" ]; then
  "$build/bin/make-sample-recordings" "$work" 30 A7L >/dev/null
  clip=$(ls "$work"/*_A7L.MOV | head -n1)
fi

export QTWEBENGINE_DISABLE_SANDBOX=1 QT_QUICK_BACKEND=software
export CLIP=$clip WORK=$work PLAYER=$build/bin/dashcam-player PLAY_CLIP=$build/bin/play_clip
bench_on_xvfb 1280x1024x24 '
  # The player plays the single file it is given, stops at its end, and is ended with Ctrl+Q.
  /usr/bin/time -f "%U %S %e" -o "$WORK/player.time" "$PLAYER" "$CLIP" >"$WORK/player.out" 2>&1 &
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "^Player$" | head -n1)
  sleep 33
  xdotool windowfocus --sync "$win" key ctrl+q
  wait
  /usr/bin/time -f "%U %S %e" -o "$WORK/engine.time" "$PLAY_CLIP" "$CLIP" 679 479 >"$WORK/engine.out"
'
read -r pu ps pe < "$work/player.time"
read -r eu es ee < "$work/engine.time"
echo "player (window, map, 30 s clip, 33 s run): user ${pu} s, system ${ps} s, wall ${pe} s"
echo "engine (play_clip 679x479, same clip):    user ${eu} s, system ${es} s, wall ${ee} s"
echo "        $(cat "$work/engine.out")"
awk -v pu="$pu" -v ps="$ps" -v pe="$pe" -v eu="$eu" -v es="$es" -v ee="$ee" \
  'BEGIN { printf "CPU share of one core: player %.0f %%, engine %.0f %%\n", 100 * (pu + ps) / pe, 100 * (eu + es) / ee }'
