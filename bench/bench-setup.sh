# Sourced by the whole-program benchmark scripts (sh and bash alike): their scratch folder,
# their virtual display and the recordings they make for themselves.

# bench_private_dir: $bench_dir, a new folder only this user may enter (fit for
# XDG_RUNTIME_DIR), removed when the script ends.
bench_private_dir() {
    bench_dir=$(mktemp -d)
    chmod 700 "$bench_dir"
    trap 'rm -rf "$bench_dir"' EXIT
}

# bench_on_xvfb SCREEN SCRIPT: SCRIPT run by bash -euo pipefail on an Xvfb display of its
# own (SCREEN as Xvfb takes it, 1920x1080x24), with $bench_dir (made when missing) as its
# XDG_RUNTIME_DIR; it sees what the caller exported.
bench_on_xvfb() {
    [ -n "${bench_dir:-}" ] || bench_private_dir
    XDG_RUNTIME_DIR=$bench_dir xvfb-run -a -s "-screen 0 $1" bash -euo pipefail -c "$2"
}

# bench_recordings_in_a_row DIR SIZE SECONDS RATE...: A.MP4 and B.MP4 in DIR, made once
# (DIR/ready says so): SECONDS each of ffmpeg's test picture (SIZE as ffmpeg takes it, 30 fps,
# a key frame a second, H.264 at ffmpeg's rate options RATE) with AAC; B goes on where A
# ends, in the picture and in its creation time (A's: 2024-06-11 09:00:00 UTC).
bench_recordings_in_a_row() {
    local dir=$1 size=$2 seconds=$3 part offset
    shift 3
    [ -f "$dir/ready" ] && return
    mkdir -p "$dir"
    for part in A B; do
        offset=0
        [ "$part" = B ] && offset=$seconds
        ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=30" \
            -f lavfi -i "sine=frequency=440:sample_rate=48000" -ss "$offset" -t "$seconds" \
            -c:v libx264 -preset ultrafast -g 30 "$@" -c:a aac -b:a 128k \
            -metadata creation_time="$(date -u -d "@$((1718096400 + offset))" +%FT%TZ)" \
            "$dir/$part.MP4"
    done
    touch "$dir/ready"
}

# bench_gst_clip PATH SECONDS WIDTH HEIGHT PATTERN KBITS AUDIO: GStreamer's moving test
# picture PATTERN with the time drawn in, SECONDS at 30 fps, H.264 at KBITS kbit/s with a key
# frame a second, in a QuickTime file; with mono AAC when AUDIO is 1. Kept once made.
bench_gst_clip() {
    local path=$1 seconds=$2 width=$3 height=$4 pattern=$5 kbits=$6 audio=""
    [ -f "$path" ] && return
    [ "$7" = 1 ] && audio="audiotestsrc num-buffers=$((seconds * 44100 / 1024 + 1)) \
        ! audio/x-raw,rate=44100,channels=1 ! avenc_aac ! aacparse ! queue ! mux."
    echo "writing $path"
    # shellcheck disable=SC2086
    gst-launch-1.0 -q \
        videotestsrc num-buffers=$((seconds * 30)) pattern="$pattern" horizontal-speed=4 \
        ! video/x-raw,format=I420,width="$width",height="$height",framerate=30/1 ! timeoverlay \
        ! x264enc bitrate="$kbits" speed-preset=faster key-int-max=30 ! h264parse ! queue ! mux. \
        $audio qtmux name=mux ! filesink location="$path.part"
    mv "$path.part" "$path"
}

# bench_playback_settings [BUILD-DIR [WIDTH HEIGHT]]: the playback benchmarks' $build (build),
# window $width and $height (1280x720) and $work, their kept clips and results
# (PLAYBACK_BENCH_DIR, /tmp/playback-bench); builds their player, play_clip, for the X11
# display.
bench_playback_settings() {
    build=${1:-build}
    width=${2:-1280}
    height=${3:-720}
    work=${PLAYBACK_BENCH_DIR:-/tmp/playback-bench}
    mkdir -p "$work"
    cmake --build "$build" --target play_clip >/dev/null
    export QT_QPA_PLATFORM=xcb
}
