#!/usr/bin/env bash
# Whole-process CPU of playing a 30 s 1280x720 30 fps H.264 (4:2:0, 8 bit) + AAC clip on one
# Xvfb display (no Xv there: the player's overlay sink is ximagesink), measured side by side:
# the runs go in turns (player, reference, playbin reference, player, ...) so that a machine
# getting slower or faster meanwhile moves all three alike, and each turn gives its ratios.
#   player:    the engine and video widget (play_clip), the video drawn by the overlay sink
#              into the widget's own native window; audio decoded into "fakesink sync=true"
#   reference: gst-launch-1.0 filesrc ! qtdemux ! h264parse ! avdec_h264 ! videoconvert
#              ! ximagesink (video only: the audio is not even decoded)
#   playbin:   gst-launch-1.0 playbin with ximagesink and the same audio sink as the player
#              (the same work as the player)
# Prints user + system seconds of every run, then the ratios per turn as min / median / max.
# PLAYBACK_BENCH_RUNS turns (5); PLAYBACK_BENCH_CLIP names another clip; PLAYBACK_BENCH_PROFILE=1
# samples one turn with perf instead and prints where the CPU goes.
#   bench/playback/run-playback-bench.sh [build-dir] [widget-width widget-height]
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/bench-setup.sh
bench_playback_settings "$@"
runs=${PLAYBACK_BENCH_RUNS:-5}

clip=${PLAYBACK_BENCH_CLIP:-$work/clip-720p30.mov}
bench_gst_clip "$clip" 30 1280 720 smpte 6000 1

export CLIP=$clip PLAY_CLIP=$build/bin/play_clip WORK=$work WIDTH=$width HEIGHT=$height
export RUNS=$runs PROFILE=${PLAYBACK_BENCH_PROFILE:-0}
rm -f "$work"/*.times
bench_on_xvfb 1920x1080x24 '
  measure() {
    local name=$1; shift
    if [ "$PROFILE" = 1 ]; then
      perf record -q -F 250 -o "$WORK/$name.perf" -- "$@" >/dev/null 2>&1
    else
      /usr/bin/time -a -f "%U %S" -o "$WORK/$name.times" "$@" >"$WORK/$name.out" 2>&1
    fi
  }
  turns=$RUNS
  [ "$PROFILE" = 1 ] && turns=1
  for _ in $(seq "$turns"); do
    measure player "$PLAY_CLIP" "$CLIP" "$WIDTH" "$HEIGHT"
    measure reference gst-launch-1.0 -q filesrc location="$CLIP" ! qtdemux ! h264parse \
      ! avdec_h264 ! videoconvert ! ximagesink
    measure playbin gst-launch-1.0 -q playbin uri="file://$CLIP" video-sink=ximagesink \
      audio-sink="fakesink sync=true"
  done
'

if [ "$PROFILE" = 1 ]; then
  for name in player reference playbin; do
    echo "== $name: CPU by library, then by function"
    perf report -q -i "$work/$name.perf" --sort dso --stdio 2>/dev/null | head -12 || true
    perf report -q -i "$work/$name.perf" --sort dso,sym --stdio 2>/dev/null | head -15 || true
  done
  exit 0
fi

echo "clip: $clip ($(stat -c %s "$clip") bytes), 1280x720 30 fps, 30 s; widget ${width}x${height};" \
  "Xvfb 1920x1080x24"
echo "player's last run: $(cat "$work/player.out")"
paste "$work/player.times" "$work/reference.times" "$work/playbin.times" | awk '
  function stats(name, v, n,   i, j, t) {
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
    printf "%-34s min %.3f  median %.3f  max %.3f  (%d turns)\n", name, v[1],
      n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2, v[n], n
  }
  { p = $1 + $2; r = $3 + $4; b = $5 + $6; n++
    printf "turn %d: cpu s  player %.2f  reference %.2f  playbin %.2f\n", n, p, r, b
    vsRef[n] = p / r; vsPlaybin[n] = p / b; pc[n] = p; rc[n] = r; bc[n] = b }
  END {
    stats("player cpu s", pc, n); stats("reference cpu s", rc, n); stats("playbin cpu s", bc, n)
    stats("CPU ratio player / reference", vsRef, n)
    stats("CPU ratio player / playbin", vsPlaybin, n)
  }'
