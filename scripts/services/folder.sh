# Sourced by the service scripts: the folder that holds everything of one
# service for one run, the mark that lets `stop` remove only such a folder,
# and the watcher that ends the service when the run's process dies without
# running its traps.

# Prints a new folder for service $1: VX_SERVICES_DIR/$1 when a run set
# VX_SERVICES_DIR (scripts/services/with_services.sh), else a new folder
# under /tmp.
service_folder() {
    local dir
    if [ -n "${VX_SERVICES_DIR:-}" ]; then
        dir=$VX_SERVICES_DIR/$1
        mkdir "$dir" || return 1
    else
        dir=$(mktemp -d "/tmp/vx-$1.XXXXXX") || return 1
    fi
    : >"$dir/.vx-service-$1" || return 1
    echo "$dir"
}

# Whether $1 is a folder that service_folder made for service $2.
is_service_folder() {
    [ -n "$1" ] && [ -f "$1/.vx-service-$2" ]
}

# With VX_SERVICE_OWNER set: a process that runs `$0 stop FOLDER` once the
# owner has ended (checked every second).
start_watcher() {
    [ -n "${VX_SERVICE_OWNER:-}" ] || return 0
    setsid bash "$0" watch "$VX_SERVICE_OWNER" "$1" </dev/null >/dev/null 2>&1 &
    echo $! >"$1/watcher.pid"
}

watch_owner() {
    while kill -0 "$1" 2>/dev/null && [ -d "$2" ]; do sleep 1; done
    "$3" "$2"
}

# Removes a stopped service's folder, ends its watcher (unless that is the
# caller) and removes the run's folder once its last service is gone.
remove_folder() {
    local dir=$1 watcher
    watcher=$(cat "$dir/watcher.pid" 2>/dev/null)
    rm -rf "$dir"
    if [ -n "$watcher" ] && [ "$watcher" != "$$" ]; then
        kill "$watcher" 2>/dev/null
    fi
    case "$(dirname "$dir")" in
        /tmp/vx-services.*) rmdir "$(dirname "$dir")" 2>/dev/null ;;
    esac
    return 0
}
