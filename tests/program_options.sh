#!/usr/bin/env bash
# Every program in build/bin answers --help with its usage (exit 0, nothing else done) and
# refuses an unknown option with an error naming it (exit 2), without a display.
set -uo pipefail
bin=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

for program in "$@"; do
  path=$bin/$program
  [ -x "$path" ] || { fail "$program: not in $bin"; continue; }
  "$path" --help >out 2>err
  status=$?
  [ $status -eq 0 ] || fail "$program --help: exit $status: $(head -c 300 err)"
  grep -qi usage out || fail "$program --help: no usage on standard output"
  "$path" --bogus >out 2>err
  status=$?
  [ $status -eq 2 ] || fail "$program --bogus: exit $status"
  grep -q bogus err || fail "$program --bogus: the error does not name the option: $(head -c 300 err)"
  rm -f out err
  leftovers=$(ls -A)
  [ -z "$leftovers" ] || { fail "$program left $leftovers behind"; rm -rf -- ./* ./.[!.]*; }
done
echo "$# programs checked, $failures failures"
[ $failures -eq 0 ]
