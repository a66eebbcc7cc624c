#!/usr/bin/env bash
# The setup program installs and uninstalls silently under Wine, in a Wine prefix of this test's
# own: /S and /D= put the programs where asked, the installed programs start, the Start-menu entry
# and the uninstall entry are there while it is installed, /WEBATLOGON adds vorfjp-web to the
# logon programs, and the uninstaller takes them all away again.
#
#   installer.sh SETUP_EXE
set -euo pipefail
setup="$1"

work="$(mktemp -d "${TMPDIR:-/tmp}/vorfjp-win-setup.XXXXXX")"
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Output redirected throughout: a pipe from Wine is held open by its server.
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1
wineboot -i >"$work/wineboot.log" 2>&1

# NSIS takes /D= unquoted, and Wine quotes an argument with a space: a folder without one.
target='C:\VorFJP-test'
folder="$WINEPREFIX/drive_c/VorFJP-test"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VorFJP'

wine "$setup" /S "/D=$target" >"$work/setup.log" 2>&1 || fail "the silent install failed: $(cat "$work/setup.log")"
for file in bin/vorfjp.exe bin/vorfjp-send.exe bin/vorfjp-web.exe bin/Qt6Core.dll bin/libstdc++-6.dll \
            plugins/platforms/qwindows.dll share/vorfjp/VorFjp.ini Uninstall.exe; do
  [ -f "$folder/$file" ] || fail "$file is not installed"
done
echo "ok: installed to $target"

# The installed programs run from their folder alone: their DLLs and Qt's plugins are all there.
wine "$folder/bin/vorfjp-send.exe" --version >"$work/version.txt" 2>&1 || fail "the installed vorfjp-send does not start: $(cat "$work/version.txt")"
grep -q "vorfjp-send" "$work/version.txt" || fail "the installed vorfjp-send named no version: $(cat "$work/version.txt")"
QT_QPA_PLATFORM=offscreen wine "$folder/bin/vorfjp-boardsim.exe" --version >"$work/boardsim.txt" 2>&1 \
  || fail "the installed virtual board does not start: $(cat "$work/boardsim.txt")"
echo "ok: the installed programs start: $(head -n1 "$work/version.txt")"

menu="$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/VorFJP*' -name 'VorFJP.lnk' | head -n1)"
[ -n "$menu" ] || fail "no Start-menu entry"
echo "ok: Start-menu entry ${menu#"$WINEPREFIX/"}"

wine reg query "$uninstall_key" >"$work/key.txt" 2>&1 || fail "no uninstall entry: $(cat "$work/key.txt")"
grep -q UninstallString "$work/key.txt" || fail "the uninstall entry names no uninstaller: $(cat "$work/key.txt")"
echo "ok: uninstall entry"

# vorfjp-web at logon: not unless asked; /WEBATLOGON asks it of a silent install.
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
if wine reg query "$run_key" /v 'VorFJP web' >/dev/null 2>&1; then
  fail "a silent install without /WEBATLOGON starts vorfjp-web at logon"
fi
wine "$setup" /S /WEBATLOGON "/D=$target" >"$work/setup2.log" 2>&1 || fail "the install with /WEBATLOGON failed"
wine reg query "$run_key" /v 'VorFJP web' >"$work/run.txt" 2>&1 || fail "/WEBATLOGON made no logon entry"
grep -qF '"C:\VorFJP-test\bin\vorfjp-web.exe"' "$work/run.txt" || fail "the logon entry is wrong: $(cat "$work/run.txt")"
echo "ok: /WEBATLOGON starts vorfjp-web at logon"

# _?= runs the uninstaller in place, so that this waits for it.
wine "$folder/Uninstall.exe" /S "_?=$target" >"$work/uninstall.log" 2>&1 || fail "the silent uninstall failed"
[ ! -e "$folder/bin/vorfjp.exe" ] || fail "the programs are still there after the uninstall"
[ -z "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/VorFJP*' -name 'VorFJP.lnk')" ] \
  || fail "the Start-menu entry is still there after the uninstall"
if wine reg query "$uninstall_key" >/dev/null 2>&1; then
  fail "the uninstall entry is still there after the uninstall"
fi
if wine reg query "$run_key" /v 'VorFJP web' >/dev/null 2>&1; then
  fail "the logon entry is still there after the uninstall"
fi
echo "ok: uninstalled"
