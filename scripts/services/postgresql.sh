#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests.
#
#   bash scripts/services/postgresql.sh start
#       creates a cluster in a new temporary folder, owned by the `postgres`
#       system user, listening only on a Unix socket in that folder (no TCP),
#       creates the database `vxtest` and prints
#           export VX_PG_URL=postgresql://postgres@/vxtest?host=SOCKETDIR
#           export VX_PG_DIR=FOLDER
#       On any failure it prints nothing (the PostgreSQL tests then skip).
#   bash scripts/services/postgresql.sh stop [FOLDER]
#       stops that server and removes the folder (default: $VX_PG_DIR).
#       Without it the server stops when the process that started the script
#       (its grandparent, or VX_PG_WATCH_PID) ends.
#
# The URL form is the one Database::open understands: user, empty host, the
# database name, and the socket folder as the `host` parameter.
set -u

find_bin() {
    local dir
    for dir in /usr/lib/postgresql/*/bin; do
        [ -x "$dir/initdb" ] && [ -x "$dir/pg_ctl" ] && { echo "$dir"; return 0; }
    done
    return 1
}

as_owner() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

start() {
    local bin dir
    bin=$(find_bin) || return 1
    if [ "$(id -u)" = 0 ]; then
        id postgres >/dev/null 2>&1 || return 1
    fi
    dir=$(mktemp -d /tmp/vx-pg.XXXXXX) || return 1
    chmod 755 "$dir"
    if [ "$(id -u)" = 0 ]; then
        chown postgres: "$dir" || { rm -rf "$dir"; return 1; }
    fi
    if ! as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 &&
       ! as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1; then
        rm -rf "$dir"
        return 1
    fi
    # Unix socket only: listen_addresses empty disables TCP.
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
            -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off -c full_page_writes=off -c synchronous_commit=off" \
            start >/dev/null 2>&1; then
        rm -rf "$dir"
        return 1
    fi
    if ! as_owner "$bin/../bin/createdb" -h "$dir" -U postgres vxtest >/dev/null 2>&1 &&
       ! as_owner psql -h "$dir" -U postgres -d postgres -qc 'CREATE DATABASE vxtest' >/dev/null 2>&1; then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1
        rm -rf "$dir"
        return 1
    fi
    # The server stops by itself when the script that asked for it ends
    # (scripts/test.sh evaluates our output in a command substitution; a
    # forked subshell in between has its parent's command line), or at `stop`.
    local watch=${VX_PG_WATCH_PID:-$PPID} up
    if [ -z "${VX_PG_WATCH_PID:-}" ]; then
        up=$(ps -o ppid= -p "$watch" 2>/dev/null | tr -d ' ')
        if [ -n "$up" ] && [ "$(tr '\0' ' ' </proc/"$watch"/cmdline 2>/dev/null)" = \
                               "$(tr '\0' ' ' </proc/"$up"/cmdline 2>/dev/null)" ]; then
            watch=$up
        fi
    fi
    if [ -n "$watch" ] && [ "$watch" -gt 1 ] 2>/dev/null; then
        setsid bash "$0" watch "$watch" "$dir" </dev/null >/dev/null 2>&1 &
    fi
    echo "export VX_PG_URL='postgresql://postgres@/vxtest?host=$dir'"
    echo "export VX_PG_DIR='$dir'"
}

stop() {
    local dir=${1:-${VX_PG_DIR:-}} bin
    [ -n "$dir" ] && [ -d "$dir/data" ] || return 0
    bin=$(find_bin) || return 0
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1
    rm -rf "$dir"
}

case "${1:-}" in
    start) start || true ;;
    stop) stop "${2:-}" ;;
    watch)
        while kill -0 "$2" 2>/dev/null && [ -d "$3/data" ]; do sleep 5; done
        stop "$3" ;;
    *) echo "usage: $0 start|stop [FOLDER]" >&2; exit 2 ;;
esac
