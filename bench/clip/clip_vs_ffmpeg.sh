#!/bin/sh
# Whole-process time of the lossless clip export of a 3-minute 1080p span across two
# recordings, against ffmpeg's stream copy of the same span (concat with in and out points).
# Usage: clip_vs_ffmpeg.sh BUILD_DIR [RUNS]
# The two 100 s recordings (H.264 at 12 Mbit/s, AAC) are made once into
# BUILD_DIR/bench-clip-media and kept.
set -eu
. "$(dirname "$0")/../bench-setup.sh"
build=$(realpath "$1")  # the concat list names the recordings from its own folder
runs=${2:-5}
media=$build/bench-clip-media
bench_private_dir
work=$bench_dir

bench_recordings_in_a_row "$media" 1920x1080 100 -b:v 12M -maxrate 12M -bufsize 24M

printf "file '%s'\ninpoint 10\nfile '%s'\noutpoint 90\n" "$media/A.MP4" "$media/B.MP4" \
    >"$work/span.txt"

# Seconds per run of the command, over $runs runs; the output folder is emptied each time.
per_run() {
    total=0
    i=0
    while [ "$i" -lt "$runs" ]; do
        rm -rf "$work/out" && mkdir "$work/out"
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        total=$(echo "$total $start $end" | awk '{ printf "%.6f", $1 + $3 - $2 }')
        i=$((i + 1))
    done
    echo "$total $runs" | awk '{ printf "%.4f", $1 / $2 }'
}

# Both read the recordings from the page cache: one untimed run of each first.
"$build/bin/dashcam-clip" -o "$work" --from "$media/A.MP4@10" --to "$media/B.MP4@90" >/dev/null
cat "$media/A.MP4" "$media/B.MP4" >/dev/null

ours=$(per_run "$build/bin/dashcam-clip" -o "$work/out" --from "$media/A.MP4@10" \
    --to "$media/B.MP4@90")
theirs=$(per_run ffmpeg -v error -f concat -safe 0 -i "$work/span.txt" -map 0:v -map 0:a \
    -c copy "$work/out/span.mp4")
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work"/clip_*.mp4)
bytes=$(stat -c %s "$work"/clip_*.mp4)
echo "span: $seconds s of 1080p video, $bytes bytes"
echo "dashcam-clip: $ours s per run"
echo "ffmpeg -c copy: $theirs s per run"
echo "$seconds $ours $theirs" | awk '{ printf "real time: %.0fx (target at least 50x)\n", $1 / $2;
    printf "ratio to ffmpeg: %.2f (target at most 2)\n", $2 / $3 }'
