#!/usr/bin/env bash
# Runs a command against a private PostgreSQL cluster with PostGIS, made for it and removed
# after it, whatever happens:
#
#   tests/library/pg_cluster.sh COMMAND [ARG...]
#
# The cluster lives in a new temporary folder, runs as an unprivileged user (nobody when
# this runs as root, else whoever runs it) and listens on a Unix socket in that folder
# only, never on TCP. COMMAND finds it through libpq's PGHOST and PGUSER (a superuser,
# trusted there: the folder is private), and LIBRARY_TEST_TEMPLATE names a database with
# PostGIS to create its own databases from. The exit status is COMMAND's.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi

bindir=${PG_BINDIR:-/usr/lib/postgresql/15/bin}
for tool in initdb pg_ctl pg_isready psql; do
  if [ ! -x "$bindir/$tool" ]; then
    echo "pg_cluster: $bindir/$tool is missing: scripts/install-deps installs postgresql-15" >&2
    exit 1
  fi
done
if [ ! -f /usr/share/postgresql/15/extension/postgis.control ]; then
  echo "pg_cluster: PostGIS is missing: scripts/install-deps installs postgresql-15-postgis-3" >&2
  exit 1
fi

server_user=
if [ "$(id -u)" -eq 0 ]; then
  # PostgreSQL refuses to run as root.
  server_user=nobody
  if ! id "$server_user" >/dev/null 2>&1; then
    echo "pg_cluster: there is no user $server_user to run the server as" >&2
    exit 1
  fi
fi

as_server() {
  if [ -n "$server_user" ]; then
    # From a folder the server's user may enter.
    (cd "$dir" && runuser -u "$server_user" -- "$@")
  else
    "$@"
  fi
}

dir=$(mktemp -d "${TMPDIR:-/tmp}/pg_cluster.XXXXXX")
data=$dir/data
log=$dir/server.log

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -f "$data/postmaster.pid" ]; then
    as_server "$bindir/pg_ctl" -D "$data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
  echo "pg_cluster: $1" >&2
  [ -f "$2" ] && tail -n 30 "$2" | sed 's/^/pg_cluster:   /' >&2
  exit 1
}

# A socket's path must fit in sockaddr_un.
socket=$dir/.s.PGSQL.5432
[ ${#socket} -lt 100 ] || fail "the temporary folder's path is too long for a socket: $dir" /dev/null
chmod 700 "$dir"
[ -z "$server_user" ] || chown "$server_user:" "$dir"

as_server "$bindir/initdb" -D "$data" -U library -A trust -E UTF8 --locale=C --no-sync \
  >"$dir/initdb.log" 2>&1 || fail "initdb failed" "$dir/initdb.log"
# A throwaway cluster: no durability, no TCP.
cat >>"$data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 60
EOF

as_server "$bindir/pg_ctl" -D "$data" -l "$log" -w -t 60 start >/dev/null 2>&1 ||
  fail "the server did not start" "$log"
ready=
for _ in $(seq 1 60); do
  if "$bindir/pg_isready" -q -h "$dir" -U library -d postgres; then
    ready=1
    break
  fi
  sleep 0.5
done
[ -n "$ready" ] || fail "the server did not accept connections within 30 s" "$log"

export PGHOST=$dir PGUSER=library PGDATABASE=postgres
export LIBRARY_TEST_TEMPLATE=library_template
"$bindir/psql" -q -v ON_ERROR_STOP=1 -c "CREATE DATABASE $LIBRARY_TEST_TEMPLATE" \
  >"$dir/psql.log" 2>&1 || fail "cannot create the template database" "$dir/psql.log"
"$bindir/psql" -q -v ON_ERROR_STOP=1 -d "$LIBRARY_TEST_TEMPLATE" -c "CREATE EXTENSION postgis" \
  >"$dir/psql.log" 2>&1 || fail "cannot create the postgis extension" "$dir/psql.log"

set +e
"$@"
status=$?
set -e
if [ "$status" -ne 0 ] && [ -s "$log" ]; then
  echo "pg_cluster: $1 failed ($status); the server's log ends:" >&2
  tail -n 20 "$log" | sed 's/^/pg_cluster:   /' >&2
fi
exit "$status"
