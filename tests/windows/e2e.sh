#!/usr/bin/env bash
# vorfjp-send.exe under Wine against the Linux virtual board: COM9 of a Wine prefix of this test's
# own is mapped to a pseudo-terminal whose far end is the board. For each send command the bytes
# the board took must be exactly those that the Linux vorfjp-send prints for the same content
# (same engine, same frames), for the window's 发送房价 (window_send_probe) and for a send through
# vorfjp-web.exe asked by Linux's curl; the clock is checked against this computer's time. Then the
# connection test, a port that is missing and one that vanishes while vorfjp-send waits on it.
#
#   e2e.sh WINE_RUN LIBRARIES SEND_EXE LINUX_SEND LINUX_BOARDSIM CONTENT WINDOW_PROBE_EXE WEB_EXE
set -euo pipefail
wine_run="$1" libraries="$2" send_exe="$3" linux_send="$4" boardsim="$5" content="$6" window_probe="$7" web_exe="$8"

work="$(mktemp -d "${TMPDIR:-/tmp}/vorfjp-win-e2e.XXXXXX")"
prefix="$work/wine"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

wine_send() {
  "$wine_run" --in "$prefix" "$libraries" "$send_exe" "$@"
}

# The prefix, made once; its server stays up between the runs (output redirected: a pipe from Wine
# is held open by the server).
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
wineserver -p >/dev/null 2>&1
wineboot -i >"$work/wineboot.log" 2>&1

# Maps COM9 to a device node; Wine reads the mapping when its server starts.
map_com9() {
  wine reg add 'HKLM\Software\Wine\Ports' /v COM9 /d "$1" /f >"$work/reg.log" 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1
}

# The virtual board on a pseudo-terminal of its own, its JSON lines read from BOARD as they come.
start_board() {
  coproc BOARD { exec "$boardsim" --headless --pty --id 7 2>"$work/board.err"; }
  pids+=("$BOARD_PID")
  local first=""
  IFS= read -r -t 60 -u "${BOARD[0]}" first || fail "the virtual board did not start: $(cat "$work/board.err")"
  local pty
  pty="$(sed -n 's/.*"pty":"\([^"]*\)".*/\1/p' <<<"$first")"
  [ -n "$pty" ] || fail "the virtual board named no pseudo-terminal: $first"
  map_com9 "$pty"
}

# The frames the Linux program builds for a command, one hex line each.
expected_frames() {
  "$linux_send" --dry-run --content "$content" "$@"
}

# The next n frames the board reports, one hex line each; each within a minute.
board_frames() {
  local n="$1" line
  for _ in $(seq 1 "$n"); do
    IFS= read -r -t 60 -u "${BOARD[0]}" line || fail "the board reported no further frame"
    sed -n 's/.*"bytes":"\([0-9A-F ]*\)".*/\1/p' <<<"$line"
  done
}

cp "$content" "$work/VorFjp.ini"
content_win="$(winepath -w "$work/VorFjp.ini" 2>/dev/null)"

start_board
for command in rooms rates weather; do
  wine_send --port 9 --content "$content_win" "$command" >"$work/send.out" 2>&1 \
    || fail "vorfjp-send.exe $command: $(cat "$work/send.out")"
  expected="$(expected_frames "$command")"
  got="$(board_frames "$(wc -l <<<"$expected")")"
  [ "$got" = "$expected" ] || fail "$command: the board took
$got
where the Linux program sends
$expected"
  echo "ok: $command, $(wc -l <<<"$expected") frame(s), the same bytes as on Linux"
done

# The clock: the board is set to this computer's time (Wine's clock and zone are the system's).
wine_send --port 9 --content "$content_win" time >"$work/send.out" 2>&1 \
  || fail "vorfjp-send.exe time: $(cat "$work/send.out")"
IFS= read -r -t 60 -u "${BOARD[0]}" line || fail "the board reported no clock frame"
set_to="$(sed -n 's/.*"datetime":"\([^"]*\)".*/\1/p' <<<"$line")"
taken_at="$(sed -n 's/.*"time":"\([^".]*\).*/\1/p' <<<"$line")"
[ -n "$set_to" ] && [ -n "$taken_at" ] || fail "time: the board took no clock frame: $line"
drift=$(($(date -d "$taken_at" +%s) - $(date -d "$set_to" +%s)))
[ "${drift#-}" -le 10 ] || fail "time: the board was set to $set_to when it was $taken_at"
echo "ok: time, the board's clock set to $set_to"

cp "$content" "$work/window.ini"
"$wine_run" --in "$prefix" "$libraries" "$window_probe" "$(winepath -w "$work/window.ini" 2>/dev/null)" 9 \
  >"$work/window.out" 2>&1 || fail "the window's 发送房价: $(cat "$work/window.out")"
expected="$(expected_frames rooms)"
got="$(board_frames "$(wc -l <<<"$expected")")"
[ "$got" = "$expected" ] || fail "发送房价: the board took
$got
where the Linux program sends
$expected"
echo "ok: the window's 发送房价, the same bytes as on Linux"

# vorfjp-web.exe on a loopback port the system picks, with COM9: its first line names the address.
cp "$content" "$work/web.ini"
coproc WEB { exec "$wine_run" --in "$prefix" "$libraries" "$web_exe" --listen 127.0.0.1:0 --port 9 \
  --content "$(winepath -w "$work/web.ini" 2>/dev/null)" 2>"$work/web.err"; }
pids+=("$WEB_PID")
web_pid=$WEB_PID
IFS= read -r -t 120 -u "${WEB[0]}" line || fail "vorfjp-web.exe did not start: $(cat "$work/web.err")"
url="$(grep -o 'http://127\.0\.0\.1:[0-9]*' <<<"$line")" || fail "vorfjp-web.exe named no address: $line"
curl -sf --max-time 60 "$url/api/status" >"$work/status.json" || fail "GET /api/status: $(cat "$work/web.err")"
grep -q '"port"' "$work/status.json" || fail "the status has no port: $(cat "$work/status.json")"
answer="$(curl -s --max-time 60 -o "$work/sent.json" -w '%{http_code}' -X POST -H 'Content-Type: application/json' \
  -d '{}' "$url/api/send/rooms")"
[ "$answer" = 200 ] || fail "POST /api/send/rooms answered $answer: $(cat "$work/sent.json")"
got="$(board_frames "$(wc -l <<<"$expected")")"
[ "$got" = "$expected" ] || fail "vorfjp-web.exe: the board took
$got
where the Linux program sends
$expected"
kill "$web_pid"
wait "$web_pid" 2>/dev/null || true
echo "ok: vorfjp-web.exe answered curl, and its send put the same bytes on the line as on Linux"

wine_send --port 9 --device 7 --content "$content_win" test >"$work/test.out" 2>&1 \
  || fail "connection test: $(cat "$work/test.out")"
grep -q 7 "$work/test.out" || fail "the connection test did not report device 7: $(cat "$work/test.out")"
echo "ok: connection test answered by device 7"

status=0
wine_send --port 250 --content "$content_win" rooms >"$work/missing.out" 2>&1 || status=$?
[ "$status" = 69 ] || fail "a missing port ended with $status, not 69: $(cat "$work/missing.out")"
echo "ok: missing port COM250, exit status 69"

# The board goes while vorfjp-send waits for its answer: a line lost (74), not a board that did
# not answer (75). The test frame has reached the board before it is stopped.
kill "$BOARD_PID"
wait "$BOARD_PID" 2>/dev/null || true
coproc SOCAT { exec socat -d -d pty,raw,echo=0 pty,raw,echo=0 2>&1; }
pids+=("$SOCAT_PID")
socat_pid=$SOCAT_PID
ptys=()
while [ "${#ptys[@]}" -lt 2 ]; do
  IFS= read -r -t 60 -u "${SOCAT[0]}" line || fail "socat made no pseudo-terminal pair"
  pty="$(sed -n 's/.*PTY is \(\/dev\/pts\/[0-9]*\).*/\1/p' <<<"$line")"
  [ -n "$pty" ] && ptys+=("$pty")
done
map_com9 "${ptys[0]}"
exec {far}<"${ptys[1]}"
wine_send --port 9 --timeout 60000 --content "$content_win" test >"$work/vanish.out" 2>&1 &
send_pid=$!
# The first byte of the test frame on the far end: vorfjp-send is now waiting for the answer.
# (head, not bash's read: its timed read of a terminal misses bytes that come through the pair.)
[ "$(timeout 120 head -c 1 <&"$far" | wc -c)" = 1 ] \
  || fail "the test frame never reached the line: $(cat "$work/vanish.out")"
kill "$socat_pid"
status=0
wait "$send_pid" || status=$?
exec {far}<&-
[ "$status" = 74 ] || fail "a vanished port ended with $status, not 74: $(cat "$work/vanish.out")"
echo "ok: vanishing port, exit status 74"
