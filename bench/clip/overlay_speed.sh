#!/bin/sh
# Whole-process time of the overlay export (decode, paint, x264) of a 60 s 720p span across
# two recordings, as a multiple of real time. Usage: overlay_speed.sh BUILD_DIR
# The two 40 s recordings (H.264 at 5 Mbit/s, AAC) are made once into
# BUILD_DIR/bench-clip-media-720 and kept.
set -eu
. "$(dirname "$0")/../bench-setup.sh"
build=$1
media=$build/bench-clip-media-720
bench_private_dir
work=$bench_dir

bench_recordings_in_a_row "$media" 1280x720 40 -b:v 5M

start=$(date +%s.%N)
"$build/bin/dashcam-clip" --overlay -o "$work" --from "$media/A.MP4@10" \
    --to "$media/B.MP4@30" >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
end=$(date +%s.%N)
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work"/clip_*.mp4)
echo "span: $seconds s of 720p video, $(nproc) cores"
echo "$start $end $seconds" | awk '{ printf "overlay export: %.2f s, %.2fx real time (target at least 1x)\n", $2 - $1, $3 / ($2 - $1) }'
# On a machine shared with other work the wall time says little: the processor time of
# the export (its second line: children's user and system time) tells what 2 free cores
# would take at most.
times >"$work/times"
tail -n 1 "$work/times" | sed 's/^/processor time (user, system): /'
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
