#!/usr/bin/env bash
# The throwaway PostgreSQL cluster of a test run: started before the suites
# that use a server, stopped and removed after them (CTest fixture
# "server"). The cluster listens on a unix socket in DIR only (no TCP port),
# trusts local connections (but the login tarvex_login, which needs its
# password) and keeps nothing: DIR goes at the end.
#
#   pgcluster.sh start DIR    # a fresh cluster; one left by a killed run is removed first
#   pgcluster.sh stop DIR
#
# As root, the server runs as the user postgres (initdb refuses root), so
# DIR must lie where that user can reach it (not under /root).
# TARVEX_SKIP_SERVER=1 starts nothing; the suites then skip their server rows.
# PGCLUSTER_OPTIONS adds server options after the test run's own (the last
# given wins), e.g. "-c fsync=on -c synchronous_commit=on" for a benchmark.
set -euo pipefail

action=${1:?start or stop}
dir=${2:?folder of the cluster}

if [ -n "${TARVEX_SKIP_SERVER:-}" ]; then
  echo "TARVEX_SKIP_SERVER is set: no test cluster"
  exit 0
fi

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "PostgreSQL server programs not found (Debian package postgresql-15; scripts/install-deps installs it)" >&2
  exit 1
fi

as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

case "$action" in
  start)
    stop
    mkdir -p "$dir"
    chmod 755 "$dir"
    if [ "$(id -u)" -eq 0 ]; then
      chown postgres "$dir"
    fi
    as_server "$bin/initdb" -D "$dir/data" -U tarvex --auth=trust --encoding=UTF8 --locale=C.UTF-8 --no-sync \
      >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    # One login must give its password (the tests of a wrong one); the others are trusted.
    as_server sed -i '1i local all tarvex_login scram-sha-256' "$dir/data/pg_hba.conf"
    if ! as_server "$bin/pg_ctl" -D "$dir/data" -w -t 60 -l "$dir/server.log" \
        -o "-c listen_addresses= -k $dir -p 5432 -c fsync=off -c full_page_writes=off -c synchronous_commit=off -c max_connections=200 ${PGCLUSTER_OPTIONS:-}" \
        start >/dev/null; then
      cat "$dir/server.log" >&2 || true
      exit 1
    fi
    echo "test cluster at $dir"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: pgcluster.sh start|stop DIR" >&2
    exit 2
    ;;
esac
