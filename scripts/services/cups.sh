#!/usr/bin/env bash
# A CUPS printer that writes PDF files, for the printing tests.
#
#   bash scripts/services/cups.sh start
#       starts the CUPS scheduler if it is installed and not running (as
#       root), adds the queue VX_PDF on the cups-pdf back end if it is not
#       there, and prints
#           export VX_CUPS_PRINTER=VX_PDF
#           export VX_CUPS_PDF_DIR=FOLDER     (where cups-pdf puts the files
#                                              of jobs sent by this user)
#       On any problem it prints nothing: the tests that need a real
#       printer then skip. It never fails.
#   bash scripts/services/cups.sh stop
#       removes the VX_PDF queue (the scheduler keeps running).
set -u

QUEUE=VX_PDF

scheduler_up() { lpstat -r 2>/dev/null | grep -q 'is running'; }

start_scheduler() {
    scheduler_up && return 0
    command -v cupsd >/dev/null 2>&1 || return 1
    [ "$(id -u)" = 0 ] || return 1
    cupsd >/dev/null 2>&1 || return 1
    local i
    for i in $(seq 1 50); do
        scheduler_up && return 0
        sleep 0.2
    done
    return 1
}

pdf_model() {
    # The cups-pdf driver as the scheduler lists it (Debian 12:
    # lsb/usr/cups-pdf/CUPS-PDF_opt.ppd), else its PPD file directly.
    local model
    local models
    models=$(lpinfo -m 2>/dev/null)
    model=$(echo "$models" | awk '$1 ~ /CUPS-PDF_opt/ {print $1; exit}')
    [ -n "$model" ] || model=$(echo "$models" | awk 'tolower($1) ~ /cups-pdf/ {print $1; exit}')
    if [ -n "$model" ]; then
        echo "-m $model"
        return 0
    fi
    for ppd in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd; do
        [ -f "$ppd" ] && { echo "-P $ppd"; return 0; }
    done
    return 1
}

add_queue() {
    if lpstat -p "$QUEUE" >/dev/null 2>&1; then
        cupsenable "$QUEUE" >/dev/null 2>&1
        cupsaccept "$QUEUE" >/dev/null 2>&1
        return 0
    fi
    [ -x /usr/lib/cups/backend/cups-pdf ] || return 1
    local model
    model=$(pdf_model) || return 1
    # shellcheck disable=SC2086
    lpadmin -p "$QUEUE" -E -v cups-pdf:/ $model >/dev/null 2>&1 || return 1
    cupsenable "$QUEUE" >/dev/null 2>&1
    cupsaccept "$QUEUE" >/dev/null 2>&1
    lpstat -p "$QUEUE" >/dev/null 2>&1
}

# The folder cups-pdf writes this user's jobs to: its "Out" setting with
# ${HOME} and ${USER} expanded (default ${HOME}/PDF).
output_dir() {
    local conf=/etc/cups/cups-pdf.conf out user home
    out=$(awk '$1 == "Out" {sub(/^[ \t]*Out[ \t]+/, ""); print; exit}' "$conf" 2>/dev/null)
    [ -n "$out" ] || out='${HOME}/PDF'
    user=$(id -un)
    home=$(getent passwd "$user" | cut -d: -f6)
    [ -n "$home" ] || home=${HOME:-/root}
    out=${out//'${HOME}'/$home}
    out=${out//'${USER}'/$user}
    echo "$out"
}

start() {
    command -v lpstat >/dev/null 2>&1 || return 1
    command -v lpadmin >/dev/null 2>&1 || return 1
    start_scheduler || return 1
    add_queue || return 1
    local dir
    dir=$(output_dir) || return 1
    mkdir -p "$dir" 2>/dev/null
    echo "export VX_CUPS_PRINTER=$QUEUE"
    echo "export VX_CUPS_PDF_DIR='$dir'"
}

stop() {
    lpadmin -x "$QUEUE" >/dev/null 2>&1
    return 0
}

case "${1:-}" in
    start) start || true ;;
    stop) stop ;;
    *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
exit 0
