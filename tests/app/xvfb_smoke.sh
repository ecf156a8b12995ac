#!/usr/bin/env bash
# Smoke test of the whole program on a desktop: Xvfb with the openbox window manager, the
# player run as an unprivileged user with a home of its own, on a folder of sample
# recordings that user owns. smoke_session.sh drives the program; this script prepares the
# user's files, runs the session under Xvfb, and checks the screenshots (app_smoke_check).
set -euo pipefail
player=$1 maker=$2 check=$3 work=$4
here=$(dirname "$(readlink -f "$0")")

rm -rf "$work"
mkdir -p "$work/samples"
# 30 s each: row 1 is still playing when the delete and the snapshot come.
"$maker" "$work/samples" 30 >/dev/null
# A moment of three channels (rear and interior 1 and 2 s later) in a folder of its own.
"$maker" "$work/moment" 40 MOVIE >/dev/null

# Root hands the program to nobody; anyone else runs it as themselves.
user=
[ "$(id -u)" -ne 0 ] || user=nobody
user_tree=$(mktemp -d "${TMPDIR:-/tmp}/dashcam-smoke.XXXXXX")
trap 'rm -rf "$user_tree"' EXIT
home=$user_tree/home
mkdir -p "$home/Pictures" "$home/.config" "$home/.cache" "$home/.local/share" "$user_tree/recordings" \
  "$user_tree/moment"
mkdir -m 700 "$user_tree/runtime"
# shellcheck disable=SC2016 # the desktop expands $HOME in this file itself
echo 'XDG_PICTURES_DIR="$HOME/Pictures"' >"$home/.config/user-dirs.dirs"
cp "$work"/samples/* "$user_tree/recordings/"
cp "$work"/moment/* "$user_tree/moment/"
# Group write too: unlocking must give back every write bit the file had.
chmod 664 "$user_tree"/recordings/*
if [ -n "$user" ]; then
  chown -R "$user:$(id -gn "$user")" "$user_tree"
  # A build tree under a private home is out of the user's reach: run a copy.
  if ! setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups test -x "$player"; then
    install -m 755 "$player" "$user_tree/dashcam-player"
    player=$user_tree/dashcam-player
  fi
fi

export PLAYER=$player RECORDINGS=$user_tree/recordings MOMENT=$user_tree/moment USER_HOME=$home
export CHECK=$check
export USER_RUNTIME=$user_tree/runtime SMOKE_USER=$user WORK=$work
export SCREEN_WIDTH=1280 SCREEN_HEIGHT=1024
status=0
xvfb-run -a -s "-screen 0 ${SCREEN_WIDTH}x${SCREEN_HEIGHT}x24" "$here/smoke_session.sh" 2>&1 |
  tee "$work/run.log" || status=$?
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen "$check" "$work" || status=1
exit "$status"
