#!/usr/bin/env bash
# The setup program installs and uninstalls silently under Wine, in a Wine prefix of this test's
# own: /S and /D= put the programs where asked, the Start-menu entry and the uninstall entry are
# there while it is installed, and the uninstaller takes them away again.
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
wineserver -p >/dev/null 2>&1
wineboot -i >"$work/wineboot.log" 2>&1

target='C:\VorFJP test'
folder="$WINEPREFIX/drive_c/VorFJP test"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VorFJP'

wine "$setup" /S "/D=$target" >"$work/setup.log" 2>&1 || fail "the silent install failed: $(cat "$work/setup.log")"
for file in bin/vorfjp.exe bin/vorfjp-send.exe bin/vorfjp-web.exe bin/Qt6Core.dll bin/libstdc++-6.dll \
            plugins/platforms/qwindows.dll share/vorfjp/VorFjp.ini Uninstall.exe; do
  [ -f "$folder/$file" ] || fail "$file is not installed"
done
echo "ok: installed to $target"

menu="$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/VorFJP*' -name 'VorFJP.lnk' | head -n1)"
[ -n "$menu" ] || fail "no Start-menu entry"
echo "ok: Start-menu entry ${menu#"$WINEPREFIX/"}"

wine reg query "$uninstall_key" >"$work/key.txt" 2>&1 || fail "no uninstall entry: $(cat "$work/key.txt")"
grep -q UninstallString "$work/key.txt" || fail "the uninstall entry names no uninstaller: $(cat "$work/key.txt")"
echo "ok: uninstall entry"

# _?= runs the uninstaller in place, so that this waits for it.
wine "$folder/Uninstall.exe" /S "_?=$target" >"$work/uninstall.log" 2>&1 || fail "the silent uninstall failed"
[ ! -e "$folder/bin/vorfjp.exe" ] || fail "the programs are still there after the uninstall"
[ -z "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/VorFJP*' -name 'VorFJP.lnk')" ] \
  || fail "the Start-menu entry is still there after the uninstall"
if wine reg query "$uninstall_key" >/dev/null 2>&1; then
  fail "the uninstall entry is still there after the uninstall"
fi
echo "ok: uninstalled"
