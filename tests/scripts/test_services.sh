#!/usr/bin/env bash
# The tests' private services leave the machine as they found them: after a
# run that ends, one ended by SIGTERM (the wrapper's trap) and one killed
# outright (the services' watchers), /etc/cups and the system's queues are
# unchanged, the system's scheduler neither started nor stopped, no process
# of the run is left and the run's folder is gone. Inside a run the
# services answer only on their own sockets.
#
#   bash tests/scripts/test_services.sh   (exit 0 passed, 1 failed, 77 skipped)
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
wrapper=$root/scripts/services/with_services.sh
# Seconds a run may take to start its services, and a killed run's
# watchers to end them (a loaded machine is slow).
START_LIMIT=300
WATCH_LIMIT=60

if [ "$(id -u)" != 0 ]; then
    echo "skipped: the private CUPS scheduler needs root"
    exit 77
fi
for tool in cupsd lpstat unshare; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool not installed"; exit 77; }
done

# With everything the private scheduler needs at hand, it must start: a
# note that it could not is then a failure.
expect_printer=1
[ -x /usr/lib/cups/backend/cups-pdf ] && command -v lpadmin >/dev/null 2>&1 &&
    unshare --mount true 2>/dev/null || expect_printer=
export VX_EXPECT_PRINTER=$expect_printer
# The runs happen under the users' Italian locale where it is installed:
# the services must not depend on the tools' untranslated answers.
if locale -a 2>/dev/null | grep -qix 'it_IT.utf-\?8'; then
    export LC_ALL=it_IT.UTF-8 LANG=it_IT.UTF-8
fi

work=$(mktemp -d /tmp/vx-services-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# Everything of the system's print set-up a run could change: every file
# under /etc/cups with its mode and content (the system's queues among
# them), and the system's schedulers (not the private ones of runs).
system_state() {
    find /etc/cups -printf '%p %m %u %g\n' | sort
    find /etc/cups -type f -exec md5sum {} + | sort
    local pid cmdline
    pgrep -x cupsd | while read -r pid; do
        # A scheduler that ended since pgrep saw it (another run's, stopping
        # at this moment) has no command line left: it is no system's.
        cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || continue
        case "$cmdline" in
            "" | *"/tmp/vx-"*) ;;
            *) echo "scheduler $pid: $cmdline" ;;
        esac
    done
}

# Processes whose command line names the run's folder.
left_in() {
    pgrep -af -- "$1" | grep -v -e pgrep -e "$0" || true
}

# What the command of a run checks: the services answer on the run's own
# sockets, or tell why they could not start.
cat >"$work/inside.sh" <<'EOF'
echo $$ >"$1.pid"
echo "$VX_SERVICES_DIR" >"$1"
case "$CUPS_SERVER" in "$VX_SERVICES_DIR"/*) ;; *) echo "CUPS_SERVER outside the run: $CUPS_SERVER"; exit 1 ;; esac
if [ -n "${VX_CUPS_PRINTER:-}" ]; then
    queues=$(LC_ALL=C lpstat -v)
    echo "$queues" | grep -q "^device for $VX_CUPS_PRINTER: cups-pdf:/" || { echo "no $VX_CUPS_PRINTER"; exit 1; }
    [ "$(echo "$queues" | wc -l)" = 1 ] || { echo "the run's scheduler shows other queues"; exit 1; }
elif [ -n "${VX_EXPECT_PRINTER:-}" ]; then
    echo "no private CUPS printer although nothing is missing: ${VX_CUPS_MISSING:-}"
    exit 1
else
    echo "note: no private CUPS printer: ${VX_CUPS_MISSING:-}"
fi
if [ -n "${VX_PG_URL:-}" ]; then
    case "$VX_PG_URL" in *"host=$VX_SERVICES_DIR"/*) ;; *) echo "database outside the run"; exit 1 ;; esac
else
    echo "note: no private PostgreSQL: ${VX_PG_MISSING:-}"
fi
[ -z "${2:-}" ] || exec sleep "$2"
EOF

before=$(system_state)

# One run of the wrapper with inside.sh, ended as $1 says: "end" (the
# command ends by itself), "TERM" (the wrapper gets SIGTERM in the middle,
# and again while it stops: its trap ends everything before it exits) or "KILL" (no trap runs: the
# services' watchers end them). Prints what failed.
one_run() {
    local how=$1 tag=$work/$1 run folder deadline
    if [ "$how" = end ]; then
        bash "$wrapper" bash "$work/inside.sh" "$tag" || echo "the run failed"
    else
        bash "$wrapper" bash "$work/inside.sh" "$tag" 300 &
        run=$!
        deadline=$((SECONDS + START_LIMIT))
        while [ ! -s "$tag" ] && [ $SECONDS -lt $deadline ] && kill -0 "$run" 2>/dev/null; do
            sleep 0.2
        done
        kill "-$how" "$run"
        # A second TERM while the trap stops the services (Ctrl+C pressed
        # twice) does not cut the stopping short.
        [ "$how" = KILL ] || { sleep 0.3; kill -TERM "$run" 2>/dev/null; }
        wait "$run" 2>/dev/null
    fi
    folder=$(cat "$tag" 2>/dev/null)
    if [ "$how" = KILL ]; then
        # The command runs in a session of its own and outlives a killed
        # wrapper: end it here, then give the watchers time.
        kill -KILL "$(cat "$tag.pid")" 2>/dev/null
        deadline=$((SECONDS + WATCH_LIMIT))
        while [ -n "$folder" ] && [ -e "$folder" ] && [ $SECONDS -lt $deadline ]; do
            sleep 0.2
        done
    fi
    [ -n "$folder" ] || { echo "the run did not tell its folder"; return; }
    [ ! -e "$folder" ] || echo "$folder is still there"
    local left
    left=$(left_in "$folder")
    [ -z "$left" ] || echo "processes left: $left"
}

# The three runs at once: each has its own services.
for how in end TERM KILL; do
    one_run "$how" >"$work/$how.result" 2>&1 &
done
wait
for how in end TERM KILL; do
    while read -r line; do
        case "$line" in note:*) echo "$how: $line" ;; *) fail "$how: $line" ;; esac
    done <"$work/$how.result"
done

after=$(system_state)
if [ "$before" != "$after" ]; then
    fail "the system's print set-up changed:"
    diff <(echo "$before") <(echo "$after")
fi

[ "$failures" = 0 ] && echo "passed" && exit 0
exit 1
