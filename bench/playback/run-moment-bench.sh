#!/usr/bin/env bash
# A moment of two 1080p30 H.264 channels (front with AAC, rear silent, both 20 s, starting
# together) beside its front channel played alone, on one Xvfb display (ximagesink, as in
# run-playback-bench.sh), in turns (front alone, moment, front alone, ...) so that a machine
# getting slower or faster meanwhile moves both alike. Both run in play_clip: the front alone
# through the engine and one video widget of the window's size; the moment through the
# moment engine and two widgets side by side in a window of that size.
# Per turn: whole-process CPU (user + system) of each and their ratio (target: at most 2.0),
# the frames each channel drew of the frames it has (target: under 1 % dropped), and the time
# from the call that opens to every channel's first frame at its sink (target: under 300 ms).
# PLAYBACK_BENCH_RUNS turns (3).
#   bench/playback/run-moment-bench.sh [build-dir] [window-width window-height]
set -euo pipefail
cd "$(dirname "$0")/../.."
. bench/bench-setup.sh
bench_playback_settings "$@"
runs=${PLAYBACK_BENCH_RUNS:-3}
seconds=20

bench_gst_clip "$work/front-1080p30.mov" "$seconds" 1920 1080 smpte 8000 1
bench_gst_clip "$work/rear-1080p30.mov" "$seconds" 1920 1080 smpte100 8000 0
export PLAY_CLIP=$build/bin/play_clip WORK=$work WIDTH=$width HEIGHT=$height RUNS=$runs
rm -f "$work"/single.out "$work"/moment.out
bench_on_xvfb 1920x1080x24 '
  for _ in $(seq "$RUNS"); do
    "$PLAY_CLIP" "$WORK/front-1080p30.mov" "$WIDTH" "$HEIGHT" >>"$WORK/single.out"
    "$PLAY_CLIP" "$WORK/front-1080p30.mov" "$WORK/rear-1080p30.mov" "$WIDTH" "$HEIGHT" \
      >>"$WORK/moment.out"
  done
'

echo "front and rear: 1920x1080 30 fps H.264, ${seconds} s; window ${width}x${height}; Xvfb 1920x1080x24"
paste -d '\n' "$work/single.out" "$work/moment.out" | awk -v fps=30 '
  # duration D s, wall W s, cpu C s, open O ms, frames [1] presented P painted Q [2] ...
  function field(name,   i) { for (i = 1; i <= NF; i++) if ($i == name) return $(i + 1) + 0 }
  function dropped(   i, worst, drawn, expected, d) {
    expected = field("duration") * fps; worst = 0
    for (i = 1; i <= NF; i++) if ($i == "painted") {
      drawn = $(i + 1) + 0; d = 100 * (expected - drawn) / expected; if (d > worst) worst = d }
    return worst
  }
  NR % 2 == 1 { sc = field("cpu"); so = field("open"); sd = dropped(); next }
  { mc = field("cpu"); turn++
    printf "turn %d: cpu s  front alone %.2f  moment %.2f  ratio %.2f | dropped %%  %.2f  %.2f (worst channel)" \
      " | open to first frames ms  %.0f  %.0f\n", turn, sc, mc, mc / sc, sd, dropped(), so, field("open")
    ratio[turn] = mc / sc }
  END { n = turn; for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (ratio[j] < ratio[i]) { t = ratio[i]; ratio[i] = ratio[j]; ratio[j] = t }
    printf "CPU ratio moment / front alone: min %.2f  median %.2f  max %.2f  (%d turns)\n", ratio[1],
      n % 2 ? ratio[(n + 1) / 2] : (ratio[n / 2] + ratio[n / 2 + 1]) / 2, ratio[n], n }'
echo "last runs:"; tail -n 1 "$work/single.out"; tail -n 1 "$work/moment.out"
