#!/usr/bin/env bash
# A private CUPS scheduler with a PDF printer, for the printing tests.
#
#   bash scripts/services/cups.sh start
#       makes a new folder (VX_SERVICES_DIR/cups when that is set, else one
#       under /tmp) holding everything of one scheduler
#       (configuration, spool, cache, logs, state, its local socket and the
#       PDFs of its printer), starts `cupsd` there, adds the queue VX_PDF on
#       the cups-pdf back end and prints
#           export CUPS_SERVER=FOLDER/cups.sock  (clients reach it only so)
#           export VX_CUPS_PRINTER=VX_PDF
#           export VX_CUPS_PDF_DIR=FOLDER/pdf    (where the PDFs appear)
#           export VX_CUPS_DIR=FOLDER             (for stop)
#       When it cannot start it prints
#           export CUPS_SERVER=FOLDER/none.sock   (no printer at all)
#           export VX_CUPS_DIR=FOLDER
#           export VX_CUPS_MISSING='what is missing'
#       so the printing tests skip saying why, and never reach the system's
#       printers. It never fails.
#   bash scripts/services/cups.sh stop [FOLDER]
#       ends that scheduler with every process it started and removes the
#       folder (default: $VX_CUPS_DIR).
#
# Nothing under /etc/cups changes and the system's scheduler is neither
# started nor stopped. cups-pdf reads its settings only from
# /etc/cups/cups-pdf.conf, so the scheduler runs in a mount namespace of
# its own where the run's configuration folder is mounted over /etc/cups:
# the back end then writes into the run's folder and nobody else sees the
# mount. With VX_SERVICE_OWNER set, a watcher stops the scheduler when that
# process ends, also when it was killed without running its traps.
set -u
. "$(dirname "$0")/folder.sh"
# The client tools' answers are read ("lpstat -r" says "is running"): they
# must not come translated, as they do under the users' it_IT.UTF-8.
export LC_ALL=C

QUEUE=VX_PDF
PPD_DIR=/usr/share/ppd/cups-pdf
# How long the scheduler may take to answer or to end (seconds).
WAIT_SECONDS=30

missing() {
    echo "export VX_CUPS_MISSING='$1'"
    return 1
}

write_config() {
    local dir=$1
    mkdir -p "$dir/conf/ppd" "$dir/conf/ssl" "$dir/spool/tmp" "$dir/cache" "$dir/state" \
        "$dir/log" "$dir/pdf" "$dir/pdf-spool" || return 1
    cat >"$dir/conf/cupsd.conf" <<EOF
LogLevel warn
Listen $dir/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
# A job whose conversion fails ends as aborted; the queue goes on.
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
ServerKeychain $dir/conf/ssl
CreateSelfSignedCerts no
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
Printcap $dir/state/printcap
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
EOF
    # The back end's settings: every file it writes stays in the folder.
    cat >"$dir/conf/cups-pdf.conf" <<EOF
Out $dir/pdf
AnonDirName $dir/pdf
Spool $dir/pdf-spool
GSTmp $dir/spool/tmp
Log $dir/log
Grp root
Label 2
TitlePref 0
EOF
}

scheduler_answers() {
    CUPS_SERVER=$1/cups.sock lpstat -r 2>/dev/null | grep -q 'is running'
}

# The scheduler's process: the session it leads holds its filters and back
# ends too.
start_scheduler() {
    local dir=$1 deadline=$((SECONDS + WAIT_SECONDS))
    setsid unshare --mount --propagation private sh -c '
        mount --bind "$1/conf" /etc/cups || exit 1
        exec cupsd -f -c "$1/conf/cupsd.conf" -s "$1/conf/cups-files.conf"' \
        sh "$dir" </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    while [ $SECONDS -lt $deadline ]; do
        scheduler_answers "$dir" && return 0
        kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

add_queue() {
    local dir=$1 ppd
    for ppd in "$PPD_DIR/CUPS-PDF_opt.ppd" "$PPD_DIR/CUPS-PDF_noopt.ppd"; do
        [ -f "$ppd" ] && break
    done
    [ -f "$ppd" ] || return 1
    export CUPS_SERVER=$dir/cups.sock
    lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$ppd" >/dev/null 2>&1 || return 1
    cupsenable "$QUEUE" >/dev/null 2>&1
    cupsaccept "$QUEUE" >/dev/null 2>&1
    lpstat -p "$QUEUE" >/dev/null 2>&1
}

start() {
    local dir tool
    dir=$(service_folder cups) || return 1
    # The scheduler's filters run as the user lp and need to reach the spool.
    chmod 755 "$dir"
    echo "export VX_CUPS_DIR='$dir'"
    echo "export CUPS_SERVER='$dir/none.sock'"
    for tool in cupsd lpadmin lpstat cupsenable cupsaccept unshare setsid; do
        command -v "$tool" >/dev/null 2>&1 || { missing "$tool not installed"; return 1; }
    done
    [ -x /usr/lib/cups/backend/cups-pdf ] || { missing "cups-pdf back end not installed"; return 1; }
    [ "$(id -u)" = 0 ] || { missing "the cups-pdf back end and the scheduler need root"; return 1; }
    unshare --mount true 2>/dev/null || { missing "no private mount namespace (unshare --mount)"; return 1; }
    write_config "$dir" || { missing "cannot write the scheduler configuration in $dir"; return 1; }
    if ! start_scheduler "$dir"; then
        tail -n 5 "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
        stop "$dir"
        missing "the private cupsd did not start"
        return 1
    fi
    if ! add_queue "$dir"; then
        tail -n 5 "$dir/log/error_log" >&2 2>/dev/null
        stop "$dir"
        missing "cannot add the cups-pdf queue to the private cupsd"
        return 1
    fi
    start_watcher "$dir"
    echo "export CUPS_SERVER='$dir/cups.sock'"
    echo "export VX_CUPS_PRINTER=$QUEUE"
    echo "export VX_CUPS_PDF_DIR='$dir/pdf'"
}

# Ends the scheduler's whole session (its filters and back ends too), then
# removes the folder.
stop() {
    local dir=${1:-${VX_CUPS_DIR:-}} pid deadline=$((SECONDS + WAIT_SECONDS))
    is_service_folder "$dir" cups || return 0
    pid=$(cat "$dir/cupsd.pid" 2>/dev/null)
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM -- "-$pid" 2>/dev/null
        while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
            sleep 0.1
        done
        kill -KILL -- "-$pid" 2>/dev/null
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
