#!/usr/bin/env bash
# Memory and open files of the whole player over a long run in cycle mode: the player, with
# its map, plays a folder of recordings of 15 s one after the other on an Xvfb display, as
# a tester left it for half an hour. Every 10 s the player
# process's resident memory (VmRSS) and its open descriptors are sampled; the web engine's
# renderer and zygotes are processes of their own, summed apart (shared pages count in
# each). At the end: both at minute 2 and at the end, and the growth between them (target:
# the player within 20 MB).
#   bench/app/run-cycle-soak.sh [MINUTES [build-dir]]   (30 minutes by default)
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/bench-setup.sh
minutes=${1:-30}
build=${2:-build}
work=$(realpath -m "${SOAK_DIR:-/tmp/cycle-soak}")
mkdir -p "$work"

cmake --build "$build" --target dashcam-player make-sample-recordings >/dev/null
# Cycle mode stops after the last recording of the list: four recordings of 15 s for every
# minute of the run, and some to spare. Each is the same file under a name of its own (a
# hard link); the sidecar's .DAT goes with its movie.
copies=$((minutes + 2))
folder=$work/recordings
if [ "$(ls "$folder" 2>/dev/null | grep -c -i '\.mov$')" -lt $((copies * 4)) ]; then
  rm -rf "$folder" "$work/samples"
  "$build/bin/make-sample-recordings" "$work/samples" 15 ICAT A7L NT96650A SIDECAR >/dev/null
  mkdir -p "$folder"
  for copy in $(seq 1000 $((999 + copies))); do
    for file in "$work"/samples/*; do
      ln "$file" "$folder/${copy}_$(basename "$file")"
    done
  done
fi

bench_private_dir
mkdir -p "$bench_dir/config"
# A fresh settings file (cycle mode is on by default), and a map profile of its own.
export XDG_CONFIG_HOME=$bench_dir/config XDG_DATA_HOME=$bench_dir/data
export XDG_CACHE_HOME=$bench_dir/cache QTWEBENGINE_DISABLE_SANDBOX=1
export FOLDER=$folder WORK=$work PLAYER=$build/bin/dashcam-player SECONDS_TO_RUN=$((minutes * 60))
bench_on_xvfb 1280x1024x24 '
  "$PLAYER" "$FOLDER" >"$WORK/player.out" 2>&1 &
  player=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --name "^Player$" | head -n1)
  # A double-click on the first row of the list plays it; cycle mode goes on from there.
  # Playing shows as a recording among the open files; on a busy machine the list may
  # not be there yet, and the double-click is tried again.
  for try in $(seq 10); do
    sleep 3
    xdotool mousemove --window "$win" 798 98 click --repeat 2 --delay 80 1
    sleep 3
    ls -l /proc/$player/fd | grep -q -- "$FOLDER/" && break
  done
  ls -l /proc/$player/fd | grep -q -- "$FOLDER/" || { echo "nothing plays" >&2; exit 1; }
  descendants() {
    local child
    for child in $(pgrep -P "$1" || true); do
      echo "$child"
      descendants "$child"
    done
  }
  sample() {
    local rss fds renderer=0
    rss=$(awk "/^VmRSS:/ { print \$2 }" /proc/$player/status)
    fds=$(ls /proc/$player/fd | wc -l)
    for pid in $(descendants $player); do
      renderer=$((renderer + $(awk "/^VmRSS:/ { print \$2 }" /proc/$pid/status 2>/dev/null || echo 0)))
    done
    echo "$SECONDS $rss $fds $renderer"
  }
  SECONDS=0
  : >"$WORK/samples.txt"
  while [ $SECONDS -lt $SECONDS_TO_RUN ]; do
    kill -0 $player 2>/dev/null || { echo "the player ended early" >&2; exit 1; }
    sample >>"$WORK/samples.txt"
    sleep 10
  done
  sample >>"$WORK/samples.txt"
  xdotool windowfocus --sync "$win" key ctrl+q
  wait $player
'
# Columns: seconds, player RSS (KiB), player descriptors, web engine processes RSS (KiB).
awk -v minutes="$minutes" '
  $1 >= 120 && !base { base = 1; r0 = $2; f0 = $3; w0 = $4; t0 = $1 }
  { r1 = $2; f1 = $3; w1 = $4; t1 = $1; if ($2 > peak) peak = $2 }
  END {
    if (!base) { print "the run was too short to reach minute 2"; exit 1 }
    printf "player process, minute %.1f -> %.1f: RSS %.1f -> %.1f MB (growth %+.1f MB, peak %.1f MB), open files %d -> %d (%+d)\n",
      t0 / 60, t1 / 60, r0 / 1024, r1 / 1024, (r1 - r0) / 1024, peak / 1024, f0, f1, f1 - f0
    printf "web engine processes (apart):   RSS %.1f -> %.1f MB (growth %+.1f MB)\n",
      w0 / 1024, w1 / 1024, (w1 - w0) / 1024
  }' "$work/samples.txt"
echo "samples (seconds, player RSS KiB, player fds, web engine RSS KiB): $work/samples.txt"
