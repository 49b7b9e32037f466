#!/usr/bin/env bash
# A private PostgreSQL cluster for the class server's tests and benchmarks:
# its own folder in the temporary folder, its own port on 127.0.0.1 and a
# socket in that folder; never the computer's own cluster.
#
#   class_server_cluster.sh start ENVFILE   make and start one; ENVFILE tells where
#   class_server_cluster.sh stop ENVFILE    stop it (fast), keeping its data
#   class_server_cluster.sh kill ENVFILE    stop it at once, as a crash would
#   class_server_cluster.sh resume ENVFILE  start it again after stop or kill
#   class_server_cluster.sh remove ENVFILE  stop it and remove its folder
#   class_server_cluster.sh start-or-skip ENVFILE   start, or only say why not
#                                           when PostgreSQL is not installed
#
# ENVFILE holds shell assignments: DIR, PORT, SOCKET, BIN and the roles'
# names and passwords. The database tvx_class belongs to tvx_owner (who may
# make the program's tables); tvx_lab, a member of tolvanex_lab, is the
# least-privileged role the computers of a lab use.
# Exit status 77: PostgreSQL's programs are not installed.
set -euo pipefail
what=${1:?start, stop, kill, resume or remove}
envfile=${2:?the environment file}

# TVX_POSTGRESQL_BIN names another folder of PostgreSQL's programs.
bin=${TVX_POSTGRESQL_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)}
if [[ -z "$bin" || ! -x "$bin/initdb" ]]; then
  echo "PostgreSQL's server programs are not installed (package postgresql)." >&2
  # The tests that need a server then say so themselves and are skipped.
  [[ "$what" == start-or-skip || "$what" == remove ]] && exit 0
  exit 77
fi
[[ "$what" == start-or-skip ]] && what=start
if [[ "$what" != start && ! -f "$envfile" ]]; then
  echo "No test cluster at $envfile." >&2
  [[ "$what" == remove ]] && exit 0
  exit 1
fi

# initdb and the server refuse to run as root: they run as an unprivileged
# account then.
as_owner() {
  if [[ $(id -u) -eq 0 ]]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

pgctl() {
  # shellcheck disable=SC1090
  source "$envfile"
  as_owner "$BIN/pg_ctl" -D "$DIR/data" -l "$DIR/log" -w -t 60 "$@"
}

start_server() {
  # shellcheck disable=SC1090
  source "$envfile"
  as_owner "$BIN/pg_ctl" -D "$DIR/data" -l "$DIR/log" -w -t 60 \
    -o "-p $PORT -k $SOCKET -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=100" start >/dev/null
}

case "$what" in
start)
  dir=$(mktemp -d "${TMPDIR:-/tmp}/classserver-XXXXXX")
  chmod 755 "$dir"
  [[ $(id -u) -eq 0 ]] && chown nobody "$dir"
  as_owner mkdir -p "$dir/sock"
  as_owner "$bin/initdb" -D "$dir/data" -U tvx_super -E UTF8 --no-locale \
    --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  port=""
  for p in $(seq 54330 54420); do
    if ! (echo >"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
  done
  [[ -n "$port" ]] || { echo "No free port for the test cluster." >&2; exit 1; }
  cat >"$envfile" <<ENV
DIR=$dir
PORT=$port
SOCKET=$dir/sock
BIN=$bin
SUPERUSER=tvx_super
DATABASE=tvx_class
OWNER=tvx_owner
OWNER_PASSWORD=owner-secret
LAB=tvx_lab
LAB_PASSWORD=lab-secret
ENV
  start_server
  "$bin/psql" -q -v ON_ERROR_STOP=1 -h "$dir/sock" -p "$port" -U tvx_super -d postgres <<'SQL'
CREATE ROLE tvx_owner LOGIN PASSWORD 'owner-secret';
CREATE ROLE tolvanex_lab NOLOGIN;
CREATE ROLE tvx_lab LOGIN PASSWORD 'lab-secret' IN ROLE tolvanex_lab;
CREATE DATABASE tvx_class OWNER tvx_owner;
REVOKE ALL ON DATABASE tvx_class FROM PUBLIC;
GRANT CONNECT ON DATABASE tvx_class TO tolvanex_lab;
\c tvx_class
REVOKE ALL ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO tolvanex_lab;
SQL
  echo "$envfile"
  ;;
stop) pgctl -m fast stop >/dev/null ;;
kill) pgctl -m immediate stop >/dev/null ;;
resume) start_server ;;
remove)
  # shellcheck disable=SC1090
  source "$envfile"
  pgctl -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$DIR"
  rm -f "$envfile"
  ;;
*) echo "Unknown command $what" >&2; exit 2 ;;
esac
