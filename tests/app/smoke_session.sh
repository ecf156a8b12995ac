#!/usr/bin/env bash
# The desktop session of xvfb_smoke.sh, run under xvfb-run: starts openbox, starts the
# player on $RECORDINGS as $SMOKE_USER (or as the caller when empty) and uses it as a user
# would, through xdotool. Every wait is bounded. A failed step prints FAIL with a
# screenshot of the screen and the session goes on with the next step, so one run names
# every step that fails; the exit status is 1 if any did.
set -uo pipefail

failures=0
pid=
wm_pid=
compositor_pid=
win=
# Whatever happens, nothing this session started outlives it.
trap 'kill $pid $wm_pid $compositor_pid 2>/dev/null' EXIT

# Window coordinates from skin/skin_geometry.h: the play list starts at (693,68) under a
# 24-pixel header; the video area is (7,37) 679x479; the snapshot button (628,527) 53x45.
readonly list_left=693 list_top=68 list_header=24 files_column_x=760
readonly video_centre=(346 276) capture_centre=(654 549) chart_centre=(346 680)
readonly title_point=(400 14) background_point=(689 300)
readonly import_centre=(725 51) clear_centre=(793 51) left_half_centre=(180 276)
readonly selected_row_colour='#737BA5'
readonly map_centre=(854 429)

fail() {
  failures=$((failures + 1))
  local shot=$WORK/failure-$failures.png
  import -window root "$shot" 2>/dev/null
  echo "FAIL: $* (screen: $shot)"
}

# wait_until SECONDS COMMAND...: polls COMMAND until it succeeds or the time is up.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

running() { kill -0 "$pid" 2>/dev/null; }
ended() { ! running; }

wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

start_window_manager() {
  mkdir -p "$WORK/wm-home"
  HOME=$WORK/wm-home openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  wm_pid=$!
  wait_until 20 wm_ready ||
    { echo "openbox did not start"; cat "$WORK/openbox.log"; exit 1; }
  # SMOKE_COMPOSITOR=xcompmgr: the same session on a composited desktop.
  if [ -n "${SMOKE_COMPOSITOR:-}" ]; then
    "$SMOKE_COMPOSITOR" >"$WORK/compositor.log" 2>&1 &
    compositor_pid=$!
  fi
}

visible_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort; }

# Starts the player in the user's own environment: nothing of the caller's home or runtime.
start_player() {
  cp "$XAUTHORITY" "$USER_HOME/.Xauthority"
  local run_as=()
  if [ -n "$SMOKE_USER" ]; then
    chown "$SMOKE_USER" "$USER_HOME/.Xauthority"
    run_as=(setpriv --reuid="$SMOKE_USER" --regid="$(id -g "$SMOKE_USER")" --clear-groups)
  fi
  # Group write is what this user's new files get: unlocking must bring it back.
  (umask 002 && exec "${run_as[@]}" env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$DISPLAY" \
    HOME="$USER_HOME" XAUTHORITY="$USER_HOME/.Xauthority" XDG_RUNTIME_DIR="$USER_RUNTIME" \
    XDG_CONFIG_HOME="$USER_HOME/.config" XDG_CACHE_HOME="$USER_HOME/.cache" \
    XDG_DATA_HOME="$USER_HOME/.local/share" \
    "$PLAYER" "$RECORDINGS") >"$WORK/player.log" 2>&1 &
  pid=$!
  # xdotool gives up with BadWindow when a window of the search goes away meanwhile (the
  # start-up's short-lived windows): ask again until the player's own shows.
  win=
  for _ in $(seq 120); do
    win=$(visible_windows | head -n1)
    [ -z "$win" ] || break
    sleep 0.5
  done
  [ -n "$win" ] || { echo "no player window"; cat "$WORK/player.log"; exit 1; }
  local owner
  owner=$(ps -o user= -p "$pid")
  [ "$owner" = "${SMOKE_USER:-$(id -un)}" ] || { echo "the player runs as $owner"; exit 1; }
}


window_type() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null; }

# Qt's menus are override-redirect windows of type NORMAL; its tooltips are typed.
is_menu() {
  xwininfo -id "$1" 2>/dev/null | grep -q 'Override Redirect State: yes' &&
    ! window_type "$1" | grep -q _NET_WM_WINDOW_TYPE_TOOLTIP
}

is_dialog() { window_type "$1" | grep -q _NET_WM_WINDOW_TYPE_DIALOG; }

# new_window TEST BEFORE: the first visible window passing TEST (is_menu, is_dialog) that
# is not in BEFORE.
new_window() {
  local w
  for w in $(comm -13 <(echo "$2") <(visible_windows)); do
    if "$1" "$w"; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

# await_window TEST BEFORE SECONDS: prints the new window once it shows.
await_window() {
  local deadline=$((SECONDS + $3)) w
  until w=$(new_window "$1" "$2"); do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
  echo "$w"
}

gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# The first row of the window's screenshot, from the list's top, in the selected colour.
selected_row_top() {
  local shot=$WORK/rows.png
  import -window "$win" "$shot"
  convert "$shot" -crop "1x200+$((list_left + 4))+$list_top" +repage -depth 8 txt:- |
    awk -v c="$selected_row_colour" '
      # The top of the first run of at least 5 pixels of the colour: a trip'"'"'s 2-pixel rule
      # in the same colour is no row.
      index($0, c) { split($1, p, /[,:]/); if (run++ == 0) top = p[2]; if (run >= 5) { print top + '"$list_top"'; exit } next }
      { run = 0 }'
}

# Rows are as tall as the list's font makes them: select row 0, then row 1 with the
# keyboard, and measure.
measure_rows() {
  xdotool mousemove --window "$win" "$files_column_x" $((list_top + list_header + 6)) click 1
  sleep 0.5
  row0_top=$(selected_row_top)
  xdotool key --clearmodifiers Down
  sleep 0.5
  local row1_top
  row1_top=$(selected_row_top)
  row_pitch=$((row1_top - row0_top))
  echo "rows: first at y=$row0_top, $row_pitch pixels apart"
  if [ -z "$row0_top" ] || [ "$row_pitch" -lt 10 ] || [ "$row_pitch" -gt 30 ]; then
    fail "could not measure the play list's rows"
    row0_top=$((list_top + list_header)) row_pitch=15
  fi
}

row_y() { echo $((row0_top + $1 * row_pitch + row_pitch / 2)); }

# The recording on row N: the list is sorted by file name.
recording() { find "$RECORDINGS" -maxdepth 1 \( -name '*.MOV' -o -name '*.TS' \) | sort | sed -n "$(($1 + 1))p"; }

play_row() {
  xdotool mousemove --window "$win" "$files_column_x" "$(row_y "$1")" click --repeat 2 --delay 100 1
}

# row_command ROW DOWNS: right-click the row and choose the menu's DOWNS-th command.
row_command() {
  local before
  before=$(visible_windows)
  sleep 1  # a second right-click soon after the last would be a double-click
  xdotool mousemove --window "$win" "$files_column_x" "$(row_y "$1")" click 3
  await_window is_menu "$before" 5 >/dev/null || { fail "no menu on a right-click on row $1"; return 1; }
  local keys=()
  for _ in $(seq "$2"); do keys+=(Down); done
  xdotool key --clearmodifiers "${keys[@]}" Return
}

# ask_delete ROW FILE ANSWER: the delete command on ROW, showing FILE, answered with the
# key ANSWER.
ask_delete() {
  local before box
  before=$(visible_windows)
  row_command "$1" 1 || return 1
  box=$(await_window is_dialog "$before" 5) || { fail "no confirmation before deleting row $1"; return 1; }
  [ -e "$2" ] || fail "$2 went before the delete was confirmed"
  xdotool key --clearmodifiers "$3"
  wait_until 5 gone "$box" || { fail "the confirmation did not close on $3"; return 1; }
}

step_delete_another_row() {
  # Row 3's recording goes with its sidecar; everything else stays.
  local others
  others=$(find "$RECORDINGS" -maxdepth 1 -type f ! -name "$(basename "${row3%.*}").*" | sort)
  # Without the confirmation the files still tell what the command did.
  if ask_delete 3 "$row3" Return; then
    sleep 0.5
    [ -e "$row3" ] || fail "the confirmation's default deleted $row3"
    ask_delete 3 "$row3" y && { wait_until 5 test ! -e "$row3" || fail "$row3 is still there after Yes"; }
  fi
  sleep 1
  local missing
  missing=$(comm -23 <(echo "$others") <(find "$RECORDINGS" -maxdepth 1 -type f | sort))
  [ -z "$missing" ] || fail "deleting row 3 removed other files:" "$missing"
  [ -e "$row1" ] || fail "the playing recording $row1 was deleted"
}

# A window of the player covering the whole screen.
full_screen_window() {
  local w
  for w in $(visible_windows); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$X$Y" = 00 ] && [ "$WIDTH" = "$SCREEN_WIDTH" ] && [ "$HEIGHT" = "$SCREEN_HEIGHT" ]; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

not_full_screen() { ! full_screen_window >/dev/null; }

step_full_screen() {
  xdotool mousemove --window "$win" "${video_centre[@]}" click --repeat 2 --delay 100 1
  wait_until 5 full_screen_window >/dev/null ||
    { fail "a double-click on the video did not go full screen"; return 1; }
  timeout 5 xdotool windowactivate --sync "$(full_screen_window)"
  xdotool key --clearmodifiers Escape
  wait_until 5 not_full_screen || { fail "Escape did not leave full screen"; return 1; }
  sleep 1
  running || { fail "Escape in full screen ended the program"; return 1; }
  gone "$win" && fail "the player window is not shown after full screen"
  # F turns it on in the window and off again in the full-screen video.
  timeout 5 xdotool windowactivate --sync "$win"
  xdotool key --clearmodifiers f
  wait_until 5 full_screen_window >/dev/null || { fail "F in the window did not go full screen"; return 1; }
  sleep 0.5
  xdotool key --clearmodifiers f
  wait_until 5 not_full_screen || { fail "F in full screen did not leave it"; return 1; }
  # Back in the window, which must repaint its controls and keep them moving.
  sleep 1
  import -window "$win" "$WORK/back.png"
  sleep 2
  import -window "$win" "$WORK/back-later.png"
}

window_position() {
  eval "$(xdotool getwindowgeometry --shell "$win")"
  echo "$X $Y"
}

# near X1 Y1 X2 Y2 TOLERANCE: the two points lie within TOLERANCE pixels on each axis.
near() { (($1 - $3 <= $5 && $3 - $1 <= $5 && $2 - $4 <= $5 && $4 - $2 <= $5)); }

step_presses_keep_the_window() {
  local start
  start=$(window_position)
  # A left click on the skin and on the title strip, then the pointer wanders: nothing moves.
  xdotool mousemove --window "$win" "${background_point[@]}" click 1
  sleep 0.3
  xdotool mousemove --window "$win" "${title_point[@]}" click 1
  sleep 0.3
  xdotool mousemove_relative -- 200 150
  sleep 0.5
  xdotool mousemove --window "$win" "${video_centre[@]}" click 3
  sleep 0.5
  xdotool mousemove --window "$win" "${chart_centre[@]}" click 3
  sleep 0.5
  local now
  now=$(window_position)
  # shellcheck disable=SC2086 # two numbers each
  near $start $now 0 || fail "clicks and right-presses moved the window from $start to $now"
  # A left drag of the title strip moves it by as much, less what it took to start (the
  # window manager follows the pointer from there).
  xdotool mousemove --window "$win" "${title_point[@]}" mousedown 1
  local i
  for i in 1 2 3 4 5 6; do
    xdotool mousemove_relative -- 10 8
    sleep 0.1
  done
  xdotool mouseup 1
  sleep 0.5
  now=$(window_position)
  read -r x y <<<"$start"
  # shellcheck disable=SC2086
  near $((x + 60)) $((y + 48)) $now 12 || fail "dragging the title strip by 60,48 moved the window from $start to $now"
  xdotool windowmove "$win" "$x" "$y"
  sleep 0.5
}

# shot_at_size WIDTH HEIGHT NAME: the window resized by the window manager, grabbed.
shot_at_size() {
  xdotool windowsize "$win" "$1" "$2"
  sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  [ "$WIDTH" = "$1" ] && [ "$HEIGHT" = "$2" ] || fail "the window is ${WIDTH}x$HEIGHT, not $1x$2"
  import -window "$win" "$WORK/$3.png"
}

step_sizes() {
  shot_at_size 1280 960 size-large
  shot_at_size 1024 640 size-small
  xdotool windowsize "$win" 700 400
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$win")"
  { [ "$WIDTH" -ge 1024 ] && [ "$HEIGHT" -ge 640 ]; } || fail "the window shrank to ${WIDTH}x$HEIGHT"
  # A double-click on the title strip maximises, another restores.
  xdotool mousemove --window "$win" "${title_point[@]}" click --repeat 2 --delay 100 1
  sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  [ "$WIDTH" = "$SCREEN_WIDTH" ] && [ "$HEIGHT" = "$SCREEN_HEIGHT" ] ||
    fail "a double-click on the title strip left the window ${WIDTH}x$HEIGHT, not maximised"
  import -window "$win" "$WORK/size-maximised.png"
  xdotool mousemove --window "$win" "${title_point[@]}" click --repeat 2 --delay 100 1
  sleep 1
  xdotool windowsize "$win" 1024 768
  sleep 1
}

holds_jpeg() { [ -n "$(find "$1" -name '*.jpg' -size +1k)" ]; }

step_snapshot() {
  local before dialog
  before=$(visible_windows)
  xdotool mousemove --window "$win" "${capture_centre[@]}" click 1
  dialog=$(await_window is_dialog "$before" 10) || { fail "no save dialog after the snapshot button"; return 1; }
  xdotool key --clearmodifiers Return
  if ! wait_until 5 gone "$dialog"; then
    fail "the save dialog did not take its suggested name"
    xdotool key --clearmodifiers Escape
    return 1
  fi
  local pictures=$USER_HOME/Pictures
  wait_until 10 holds_jpeg "$pictures" ||
    { fail "no snapshot in $pictures"; return 1; }
  local shot
  shot=$(find "$pictures" -name '*.jpg' | head -n1)
  echo "snapshot: $shot"
  [ "$(head -c 3 "$shot" | od -An -tx1 | tr -d ' ')" = ffd8ff ] || fail "$shot is not a JPEG"
  local base
  base=$(basename "${row1%.*}")
  [[ $(basename "$shot") == "$base"_*.jpg ]] || fail "the snapshot's name does not start with $base"
}

locked() { [ $((8#$(stat -c %a "$1") & 8#222)) = 0 ]; }
has_mode() { [ "$(stat -c %a "$1")" = "$2" ]; }

step_lock_unlock() {
  local file mode
  file=$(recording 0)
  mode=$(stat -c %a "$file")
  row_command 0 2 || return 1
  wait_until 5 locked "$file" || { fail "locking left $file $(stat -c %a "$file")"; return 1; }
  row_command 0 2 || return 1
  wait_until 5 has_mode "$file" "$mode" ||
    fail "unlocking left $file $(stat -c %a "$file"), not $mode"
}

titled() { xdotool getwindowname "$1" 2>/dev/null | grep -q "^$2"; }
library_window() { titled "$1" Library; }

# The library from the map and the keyboard: a right-drag on the map asks which recordings
# passed within its radius (through the page, into the player); L opens the library view.
step_library() {
  local before dialog view d
  timeout 5 xdotool windowactivate --sync "$win"
  before=$(visible_windows)
  xdotool mousemove --window "$win" "${map_centre[@]}" mousedown 3
  for d in 10 30 60 90 120; do
    xdotool mousemove --window "$win" $((map_centre[0] + d)) $((map_centre[1] + d))
    sleep 0.1
  done
  xdotool mouseup 3
  dialog=$(await_window is_dialog "$before" 10) ||
    { fail "no answer after a right-drag on the map"; return 1; }
  titled "$dialog" "Passed here" || fail "the map's ask opened '$(xdotool getwindowname "$dialog")'"
  timeout 5 xdotool windowactivate --sync "$dialog"
  xdotool key --clearmodifiers Escape
  wait_until 5 gone "$dialog" || fail "Escape left the Passed here dialog open"
  timeout 5 xdotool windowactivate --sync "$win"
  before=$(visible_windows)
  xdotool key --clearmodifiers l
  view=$(await_window library_window "$before" 10) || { fail "L opened no library view"; return 1; }
  import -window "$view" "$WORK/library.png"
}

step_close() {
  timeout 5 xdotool windowactivate --sync "$win"
  xdotool key --clearmodifiers Escape
  sleep 1
  running || { fail "Escape in the window ended the program"; return 1; }
  xdotool key --clearmodifiers ctrl+q
  wait_until 10 ended || fail "still running after Ctrl+Q"
  grep -q '^chart=speed' "$USER_HOME/.config/dashcam-player/dashcam-player.conf" ||
    fail "a right-press on the chart did not switch it to the speed view"
}

movie_start() {
  date -d "$(ffprobe -v error -show_entries format_tags=creation_time -of csv=p=0 "$1")" +%s
}

# Each channel's start after the front's in frames (front, rear, interior, as the frame
# stamps number them), from the movie headers (ffprobe).
moment_lags() {
  local front rate letter
  front=$(find "$MOMENT" -name '*F.MP4')
  rate=$(ffprobe -v error -select_streams v:0 -show_entries stream=r_frame_rate -of csv=p=0 "$front")
  for letter in F R I; do
    echo $((($(movie_start "$(find "$MOMENT" -name "*$letter.MP4")") - $(movie_start "$front")) *
      ${rate%/*} / ${rate#*/}))
  done
}

# grab WHERE NAME: a screenshot of the window, or with "screen" of the full-screen video.
grab() {
  local w=$win
  [ "$1" = window ] || w=$(full_screen_window) || return 1
  import -window "$w" "$WORK/$2.png"
}

# The frame shown of CHANNEL among the "CHANNEL:FRAME" readings.
frame_of() {
  local reading
  for reading in "${@:2}"; do [ "${reading%%:*}" != "$1" ] || echo "${reading#*:}"; done
}

# shows_moment WHERE ARRANGEMENT CHANNELS...: two screenshots half a second apart show the
# moment's channels in their places (main first), each picture moving on, and in step: each
# channel's frame number behind the others' by its later start, give or take a third of a
# second.
shows_moment() {
  local where=$1 arrangement=$2 first second
  shift 2
  local want=("$@")
  grab "$where" moment-a && first=$("$CHECK" pictures "$WORK/moment-a.png" "$arrangement" $#) &&
    sleep 0.5 &&
    grab "$where" moment-b && second=$("$CHECK" pictures "$WORK/moment-b.png" "$arrangement" $#)
  local status=$?
  moment_seen="${first:-?} then ${second:-?}"
  [ "$status" = 0 ] || return 1
  local a b i
  read -ra a <<<"$first"
  read -ra b <<<"$second"
  for i in "${!a[@]}"; do
    [ "${a[i]%%:*}" = "${want[i]}" ] && [ "${b[i]%%:*}" = "${want[i]}" ] || return 1
    [ "${a[i]#*:}" = - ] || ((${b[i]#*:} > ${a[i]#*:})) || return 1
  done
  # The moment's time each picture shows, in frames, against the first one read.
  local channel frame at first_at=
  for channel in "${want[@]}"; do
    frame=$(frame_of "$channel" "${b[@]}")
    [ "$frame" != - ] || continue
    at=$((frame + moment_lag[channel]))
    first_at=${first_at:-$at}
    (((at - first_at) <= 10 && (first_at - at) <= 10)) || return 1
  done
}

# await_moment SECONDS WHAT WHERE ARRANGEMENT CHANNELS...: fails with WHAT unless the moment
# shows so in time.
await_moment() {
  local seconds=$1 what=$2
  shift 2
  wait_until "$seconds" shows_moment "$@" || { fail "$what (seen: $moment_seen)"; return 1; }
  echo "moment $*: $moment_seen"
}

listed_first_row() {
  xdotool mousemove --window "$win" "$files_column_x" "$(row_y 0)" click 1
  sleep 0.3
  [ "$(selected_row_top)" = "$row0_top" ]
}

step_import_moment() {
  xdotool mousemove --window "$win" "${clear_centre[@]}" click 1
  sleep 1
  local before dialog
  before=$(visible_windows)
  xdotool mousemove --window "$win" "${import_centre[@]}" click 1
  dialog=$(await_window is_dialog "$before" 10) || { fail "no folder dialog after Import"; return 1; }
  timeout 5 xdotool windowactivate --sync "$dialog"
  xdotool key --clearmodifiers ctrl+a
  # With the last slash the completion has no folder left to offer, so Return is the dialog's.
  xdotool type --delay 20 "$MOMENT/"
  sleep 0.5
  xdotool key --clearmodifiers Return
  if ! wait_until 5 gone "$dialog"; then
    fail "the folder dialog did not take $MOMENT"
    xdotool key --clearmodifiers Escape
    return 1
  fi
  wait_until 10 listed_first_row || { fail "the imported moment is not listed"; return 1; }
  mapfile -t moment_lag < <(moment_lags)
  play_row 0
  # The rear and interior insets over the front's picture once they have started.
  await_moment 20 "the moment does not play as a picture with two insets" window pip 0 1 2
}

step_moment_arrangements() {
  xdotool key --clearmodifiers v
  await_moment 10 "V did not put the channels side by side" window side 0 1 2 || return 1
  xdotool mousemove --window "$win" "${left_half_centre[@]}" click --repeat 2 --delay 100 1
  wait_until 5 full_screen_window >/dev/null || { fail "the moment did not go full screen"; return 1; }
  await_moment 10 "full screen did not keep the channels side by side" screen side 0 1 2
  timeout 5 xdotool windowactivate --sync "$(full_screen_window)"
  xdotool key --clearmodifiers Escape
  wait_until 5 not_full_screen || { fail "Escape did not leave the moment's full screen"; return 1; }
  await_moment 10 "back from full screen, the channels are not side by side" window side 0 1 2
  timeout 5 xdotool windowactivate --sync "$win"
  xdotool key --clearmodifiers x
  await_moment 10 "X did not swap the channels" window side 1 2 0
  import -window "$win" "$WORK/moment-seek.png"
  sleep 2
  import -window "$win" "$WORK/moment-seek-later.png"
}

# Ends the player if it still runs and checks its exit code.
finish_player() {
  running && kill "$pid"
  wait "$pid"
  local code=$?
  echo "exit code $code"
  [ "$code" = 0 ] || fail "the player's exit code is $code"
}

# step NAME FUNCTION: runs a step while the player runs.
step() {
  echo "step: $1"
  if running; then "$2" || true; else fail "$1: the player is no longer running"; fi
}

start_window_manager
start_player
sleep 2
import -window "$win" "$WORK/idle.png"
measure_rows
row1=$(recording 1) row3=$(recording 3)
play_row 1
sleep 4
import -window "$win" "$WORK/playing.png"
step "snapshot into the pictures folder" step_snapshot
step "delete row 3 while row 1 plays" step_delete_another_row
step "full screen and back" step_full_screen
step "lock and unlock row 0" step_lock_unlock
step "clicks and right-presses leave the window where it is" step_presses_keep_the_window
step "sizes and maximised" step_sizes
step "import a moment and play its three channels" step_import_moment
step "the moment's arrangements, full screen and swap" step_moment_arrangements
step "the map asks the library, L shows it" step_library
step "Escape stays, Ctrl+Q closes the program" step_close
finish_player
if [ "$failures" -gt 0 ]; then
  echo "$failures step(s) failed; the player's log ($WORK/player.log):"
  tail -n 200 "$WORK/player.log"
  exit 1
fi
