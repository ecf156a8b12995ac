#!/usr/bin/env bash
# Whole-process CPU of playing a 30 s 1280x720 30 fps H.264 (4:2:0, 8 bit) + AAC clip, one
# after the other on the same Xvfb display: the player's engine and video widget
# (play_clip), then gst-launch's playbin with ximagesink as the reference.
# Both use the audio sink "fakesink sync=true". PLAYBACK_BENCH_CLIP names another clip;
# PLAYBACK_BENCH_PROFILE=1 samples both runs with perf instead and prints where
# the CPU goes (the CPU figures are then a little higher).
#   bench/playback/run-playback-bench.sh [build-dir] [widget-width widget-height]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
width=${2:-1280}
height=${3:-720}
work=${PLAYBACK_BENCH_DIR:-/tmp/playback-bench}
mkdir -p "$work"

clip=${PLAYBACK_BENCH_CLIP:-$work/clip-720p30.mov}
if [ ! -f "$clip" ]; then
  echo "writing $clip"
  gst-launch-1.0 -q \
    videotestsrc num-buffers=900 pattern=smpte horizontal-speed=4 \
    ! video/x-raw,format=I420,width=1280,height=720,framerate=30/1 ! timeoverlay \
    ! x264enc bitrate=6000 speed-preset=faster key-int-max=30 ! h264parse ! queue ! mux. \
    audiotestsrc num-buffers=1292 ! audio/x-raw,rate=44100,channels=1 \
    ! avenc_aac ! aacparse ! queue ! mux. \
    qtmux name=mux ! filesink location="$clip.part"
  mv "$clip.part" "$clip"
fi

cmake --build "$build" --target play_clip >/dev/null

export QT_QPA_PLATFORM=xcb
export CLIP=$clip PLAY_CLIP=$build/bin/play_clip WORK=$work WIDTH=$width HEIGHT=$height
export PROFILE=${PLAYBACK_BENCH_PROFILE:-0}
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  measure() {
    local name=$1; shift
    if [ "$PROFILE" = 1 ]; then
      /usr/bin/time -f "%U %S %e" -o "$WORK/$name.time" \
        perf record -q -F 250 -o "$WORK/$name.perf" -- "$@"
    else
      /usr/bin/time -f "%U %S %e" -o "$WORK/$name.time" "$@"
    fi
  }
  measure player "$PLAY_CLIP" "$CLIP" "$WIDTH" "$HEIGHT" > "$WORK/player.out"
  measure reference gst-launch-1.0 -m playbin uri="file://$CLIP" video-sink=ximagesink \
    audio-sink="fakesink sync=true" > "$WORK/reference.out" 2>&1
'

read -r pu ps pe < "$work/player.time"
read -r ru rs re < "$work/reference.time"
qos=$(grep -c '(qos)' "$work/reference.out" || true)
echo "player    (engine + widget ${width}x${height}): user ${pu} s, system ${ps} s, wall ${pe} s"
echo "          $(cat "$work/player.out")"
echo "reference (gst-launch playbin + ximagesink): user ${ru} s, system ${rs} s, wall ${re} s, qos drops ${qos}"
awk -v pu="$pu" -v ps="$ps" -v ru="$ru" -v rs="$rs" \
  'BEGIN { printf "CPU ratio player / reference: %.2f\n", (pu + ps) / (ru + rs) }'

if [ "${PLAYBACK_BENCH_PROFILE:-0}" = 1 ]; then
  for name in player reference; do
    echo "== $name: CPU by library, then by function"
    perf report -q -i "$work/$name.perf" --sort dso --stdio 2>/dev/null | head -12 || true
    perf report -q -i "$work/$name.perf" --sort dso,sym --stdio 2>/dev/null | head -15 || true
  done
fi
