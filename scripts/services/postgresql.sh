#!/usr/bin/env bash
# A private PostgreSQL server for the database tests.
#
#   bash scripts/services/postgresql.sh start
#       creates a cluster in a new folder (VX_SERVICES_DIR/postgresql when
#       that is set, else one under /tmp; owned by the system user
#       `postgres` when run as root), listening only on a Unix socket in that
#       folder (no TCP), creates the database `vxtest` and prints
#           export VX_PG_URL=postgresql://postgres@/vxtest?host=FOLDER
#           export VX_PG_DIR=FOLDER
#       When it cannot start it prints
#           export VX_PG_MISSING='what is missing'
#       and the PostgreSQL tests skip saying why. It never fails.
#   bash scripts/services/postgresql.sh stop [FOLDER]
#       stops that server and removes the folder (default: $VX_PG_DIR).
#
# No system cluster is touched. With VX_SERVICE_OWNER set, a watcher stops
# the server when that process ends, also when it was killed without
# running its traps.
#
# The URL form is the one Database::open understands: user, empty host, the
# database name, and the socket folder as the `host` parameter.
set -u
. "$(dirname "$0")/folder.sh"

missing() {
    echo "export VX_PG_MISSING='$1'"
    return 1
}

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

init_cluster() {
    local bin=$1 dir=$2 locale
    for locale in C.UTF-8 C; do
        as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=$locale --no-sync \
            >"$dir/initdb.log" 2>&1 && return 0
        rm -rf "$dir/data"
    done
    return 1
}

start() {
    local bin dir
    bin=$(find_bin) || { missing "PostgreSQL server (initdb, pg_ctl) not installed"; return 1; }
    if [ "$(id -u)" = 0 ]; then
        id postgres >/dev/null 2>&1 || { missing "no system user postgres to run the server as root"; return 1; }
    fi
    dir=$(service_folder postgresql) || { missing "cannot make the server's folder"; return 1; }
    echo "export VX_PG_DIR='$dir'"
    chmod 755 "$dir"
    if [ "$(id -u)" = 0 ] && ! chown postgres: "$dir"; then
        give_up "$dir" "cannot give $dir to postgres"
        return 1
    fi
    init_cluster "$bin" "$dir" || { give_up "$dir" "initdb failed"; return 1; }
    # Unix socket only: listen_addresses empty disables TCP.
    if ! as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off -c full_page_writes=off -c synchronous_commit=off" \
        start >/dev/null 2>&1; then
        tail -n 5 "$dir/server.log" >&2 2>/dev/null
        give_up "$dir" "the private server did not start"
        return 1
    fi
    start_watcher "$dir"
    if ! as_owner "$bin/createdb" -h "$dir" -U postgres vxtest >/dev/null 2>&1; then
        give_up "$dir" "createdb vxtest failed"
        return 1
    fi
    echo "export VX_PG_URL='postgresql://postgres@/vxtest?host=$dir'"
}

give_up() {
    stop "$1"
    missing "$2"
}

# Stops the server (fast, then immediate, then by signal) and removes the
# folder.
stop() {
    local dir=${1:-${VX_PG_DIR:-}} bin pid
    is_service_folder "$dir" postgresql || return 0
    if [ -f "$dir/data/postmaster.pid" ] && bin=$(find_bin); then
        as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 20 stop >/dev/null 2>&1 ||
            as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w -t 10 stop >/dev/null 2>&1
    fi
    pid=$(head -n 1 "$dir/data/postmaster.pid" 2>/dev/null)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null
    fi
    remove_folder "$dir"
}

case "${1:-}" in
    start) start || true ;;
    stop) stop "${2:-}" ;;
    watch) watch_owner "$2" "$3" stop ;;
    *) echo "usage: $0 start|stop [FOLDER]" >&2; exit 2 ;;
esac
exit 0
