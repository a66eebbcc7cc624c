#!/bin/sh
# Checks the clock-sync units as systemd itself reads them: any complaint fails, and the timer
# fires at 03:00, after boot, and catches up on a missed run.
set -eu
units="$1"
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT

complaints="$(XDG_RUNTIME_DIR="$runtime" systemd-analyze verify --user \
    "$units/vorfjp-clock-sync.service" "$units/vorfjp-clock-sync.timer" 2>&1)" || {
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
