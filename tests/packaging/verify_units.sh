#!/bin/sh
# Checks the user units as systemd itself reads them: any complaint fails. The clock sync's timer
# fires at 03:00, after boot, and catches up on a missed run; the HTTP service, where it is built,
# runs its program without arguments, comes back after a failure and starts with the session.
set -eu
units="$1"
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT

# The manual pages that Documentation= names are installed beside the units, not in the build tree.
complaints="$(XDG_RUNTIME_DIR="$runtime" systemd-analyze verify --user --man=no "$units"/*.service "$units"/*.timer 2>&1)" || {
    echo "systemd-analyze verify failed: $complaints"
    exit 1
}
if [ -n "$complaints" ]; then
    echo "systemd-analyze verify complained: $complaints"
    exit 1
fi

calendar="$(sed -n 's/^OnCalendar=//p' "$units/vorfjp-clock-sync.timer")"
systemd-analyze calendar "$calendar" | grep -q 'Normalized form: \*-\*-\* 03:00:00$' || {
    echo "the timer does not fire daily at 03:00: $calendar"
    exit 1
}
grep -qx 'Persistent=true' "$units/vorfjp-clock-sync.timer" || { echo "a missed run is not caught up"; exit 1; }
grep -q '^OnBootSec=' "$units/vorfjp-clock-sync.timer" || { echo "no run after boot"; exit 1; }
exec_start="$(sed -n 's/^ExecStart=//p' "$units/vorfjp-clock-sync.service")"
[ "${exec_start#* }" = "time" ] || { echo "the service does not run the time command: $exec_start"; exit 1; }
[ -x "${exec_start%% *}" ] || { echo "the service names no program: $exec_start"; exit 1; }

web="$units/vorfjp-web.service"
if [ -f "$web" ]; then
    exec_start="$(sed -n 's/^ExecStart=//p' "$web")"
    [ -x "$exec_start" ] && [ "${exec_start##*/}" = "vorfjp-web" ] || { echo "the web service does not run vorfjp-web: $exec_start"; exit 1; }
    grep -qx 'Restart=on-failure' "$web" || { echo "the web service is not restarted after a failure"; exit 1; }
    grep -qx 'NoNewPrivileges=yes' "$web" || { echo "the web service may gain privileges"; exit 1; }
    grep -qx 'WantedBy=default.target' "$web" || { echo "the web service does not start with the session"; exit 1; }
fi
