#!/bin/sh
# Whole-process time of the GPX export of a one-hour sidecar recording, against gpsbabel
# converting the same 3600 sentences from plain NMEA. Usage: gpx_vs_gpsbabel.sh BUILD_DIR [RUNS]
set -eu
build=$1
runs=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bin/make_drive_recording" "$work"

# Seconds per run of the command, over $runs runs.
per_run() {
    start=$(date +%s.%N)
    i=0
    while [ "$i" -lt "$runs" ]; do
        "$@" >/dev/null
        i=$((i + 1))
    done
    end=$(date +%s.%N)
    echo "$start $end $runs" | awk '{ printf "%.4f", ($2 - $1) / $3 }'
}

ours=$(per_run "$build/bin/dashcam-telemetry" --gpx "$work/drive.MOV")
theirs=$(per_run gpsbabel -i nmea -f "$work/drive.nmea" -o gpx -F "$work/out.gpx")
points=$("$build/bin/dashcam-telemetry" --gpx "$work/drive.MOV" | grep -c '<trkpt')
echo "dashcam-telemetry --gpx: $ours s per run ($points points)"
echo "gpsbabel nmea -> gpx:    $theirs s per run"
echo "$ours $theirs" | awk '{ printf "ratio: %.3f (target below 0.2)\n", $1 / $2 }'
