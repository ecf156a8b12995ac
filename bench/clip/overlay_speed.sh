#!/bin/sh
# Speed of the clip export with the telemetry drawn into the picture, against real time:
# a 60 s span of 720p across two recordings, whole process (cut, decode, paint, x264, AAC).
# Usage: overlay_speed.sh BUILD_DIR [RUNS]
# The two 60 s recordings (H.264 720p30 at 6 Mbit/s, AAC) are made once into
# BUILD_DIR/bench-overlay-media and kept. Target: at least 1x real time on 2 cores.
set -eu
build=$1
runs=${2:-3}
media=$build/bench-overlay-media
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ! -f "$media/ready" ]; then
    mkdir -p "$media"
    for part in "A 0 2024-06-11T09:00:00Z" "B 60 2024-06-11T09:01:00Z"; do
        set -- $part
        ffmpeg -v error -y -f lavfi -i "testsrc2=size=1280x720:rate=30" \
            -f lavfi -i "sine=frequency=440:sample_rate=48000" -ss "$2" -t 60 \
            -c:v libx264 -preset ultrafast -g 30 -b:v 6M -maxrate 6M -bufsize 12M \
            -c:a aac -b:a 128k -metadata creation_time="$3" "$media/$1.MP4"
    done
    touch "$media/ready"
fi
cat "$media/A.MP4" "$media/B.MP4" >/dev/null

total=0
i=0
while [ "$i" -lt "$runs" ]; do
    rm -rf "$work/out" && mkdir "$work/out"
    start=$(date +%s.%N)
    "$build/bin/dashcam-clip" --overlay -o "$work/out" --from "$media/A.MP4@30" \
        --to "$media/B.MP4@30" >/dev/null
    end=$(date +%s.%N)
    total=$(echo "$total $start $end" | awk '{ printf "%.6f", $1 + $3 - $2 }')
    i=$((i + 1))
done
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work"/out/clip_*.mp4)
per_run=$(echo "$total $runs" | awk '{ printf "%.2f", $1 / $2 }')
echo "span: $seconds s of 720p video on $(nproc) cores"
echo "dashcam-clip --overlay: $per_run s per run"
echo "$seconds $per_run" | awk '{ printf "real time: %.2fx (target at least 1x)\n", $1 / $2 }'
