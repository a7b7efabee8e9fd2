#!/usr/bin/env bash
# Runs a command with the tests' private services, each started for this
# run only in a folder of the run, and ends them when the command ends,
# fails or is interrupted.
#
#   bash scripts/services/with_services.sh COMMAND [ARGS...]
#
# The services: a PostgreSQL server (postgresql.sh) and a CUPS scheduler
# with a PDF printer (cups.sh). The command sees the variables they printed
# (CUPS_SERVER, VX_CUPS_PRINTER, VX_PG_URL, ...); nothing is set anywhere
# else. The exit status is the command's (130, 143 or 129 when interrupted).
set -u

here=$(cd "$(dirname "$0")" && pwd)
services=(postgresql cups)
child=
run=

stop_services() {
    # A second signal (Ctrl+C pressed again, a test driver's TERM) must not
    # cut the stopping short: it is ignored from here on.
    trap - EXIT
    trap '' INT TERM HUP
    if [ -n "$child" ] && kill -0 "$child" 2>/dev/null; then
        kill -TERM -- "-$child" 2>/dev/null
        wait "$child" 2>/dev/null
    fi
    [ -n "$run" ] || return
    local service
    for service in "${services[@]}"; do
        bash "$here/$service.sh" stop "$run/$service"
    done
    rm -rf "$run"
}

# The traps end the run and the EXIT trap stops the services. A signal that
# arrives while a service starts acts when that start is over (its folder is
# then known); one that arrives while the command runs interrupts the `wait`
# below at once.
trap stop_services EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

run=$(mktemp -d /tmp/vx-services.XXXXXX) || exit 1
# The scheduler's filters (user lp) and the database server (user postgres)
# reach their folders through this one.
chmod 755 "$run"
export VX_SERVICES_DIR=$run
# Watchers started by the services stop them if this process dies without
# running its traps.
export VX_SERVICE_OWNER=$$
for service in "${services[@]}"; do
    eval "$(bash "$here/$service.sh" start)"
done

# The command runs in a process group of its own so that an interruption
# ends it with everything it started (a build, ctest and its tests).
setsid "$@" &
child=$!
wait "$child"
status=$?
child=
exit "$status"
