#!/usr/bin/env bash
# Builds the Debian package from a build tree into a temporary folder and checks it as a
# distribution would: lintian without errors, the menu and software-centre entries valid, every
# file of an installation in the package, and the dependencies the programs need at run time.
#   check_package.sh <build folder> <source folder>
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
debs=("$work"/out/vorfjp_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single package in $work/out" >&2; exit 1; }
deb="${debs[0]}"

lintian --info "$deb" > "$work/lintian.log" 2>&1 || true
if grep -q '^E:' "$work/lintian.log"; then
  fail "lintian reports errors:"
  grep '^E:' "$work/lintian.log" >&2
fi
grep '^[WI]:' "$work/lintian.log" || true

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$work/contents"
for path in \
  /usr/bin/vorfjp \
  /usr/bin/vorfjp-boardsim \
  /usr/bin/vorfjp-send \
  /usr/share/man/man1/vorfjp-send.1.gz \
  /usr/lib/systemd/user/vorfjp-clock-sync.service \
  /usr/lib/systemd/user/vorfjp-clock-sync.timer \
  /usr/share/vorfjp/VorFjp.ini \
  /usr/share/applications/org.vorfjp.VorFJP.desktop \
  /usr/share/metainfo/org.vorfjp.VorFJP.metainfo.xml \
  /usr/share/icons/hicolor/16x16/apps/org.vorfjp.VorFJP.png \
  /usr/share/icons/hicolor/48x48/apps/org.vorfjp.VorFJP.png \
  /usr/share/icons/hicolor/256x256/apps/org.vorfjp.VorFJP.png \
  /usr/share/man/man1/vorfjp.1.gz \
  /usr/share/man/man1/vorfjp-boardsim.1.gz \
  /usr/share/doc/vorfjp/README.md \
  /usr/share/doc/vorfjp/copyright \
  /usr/share/doc/vorfjp/changelog.gz \
  /usr/share/doc/vorfjp/examples/60-vorfjp-board.rules \
  /usr/share/doc/vorfjp/examples/vorfjp-weekend-rates.service \
  /usr/share/doc/vorfjp/examples/vorfjp-weekend-rates.timer \
  /usr/share/doc/vorfjp/examples/vorfjp-weekday-rates.service \
  /usr/share/doc/vorfjp/examples/vorfjp-weekday-rates.timer \
  /usr/share/doc/vorfjp/examples/weekend.json \
  /usr/share/doc/vorfjp/examples/weekday.json \
  /usr/share/doc/vorfjp/examples/vorfjp-ecb-rates.service \
  /usr/share/doc/vorfjp/examples/vorfjp-ecb-rates.timer \
  /usr/share/doc/vorfjp/examples/vorfjp-ecb-rates \
  /usr/share/doc/vorfjp/examples/eurofxref-sample.xml; do
  grep -qxF "$path" "$work/contents" || fail "package lacks $path"
done
if grep -qx '/usr/bin/boardsim' "$work/contents"; then fail "package puts a generic boardsim into the path"; fi
for path in \
  /usr/bin/vorfjp-web \
  /usr/lib/systemd/user/vorfjp-web.service \
  /usr/share/man/man1/vorfjp-web.1.gz \
  /usr/share/vorfjp/translations/vorfjp-web_zh_CN.qm; do
  grep -qxF "$path" "$work/contents" || fail "package lacks $path"
done
dpkg-deb -f "$deb" Description | grep -q 'vorfjp-web' || fail "the description does not mention vorfjp-web"
depends_web="$(dpkg-deb -f "$deb" Depends)"
for needed in libmicrohttpd12 libsodium23 libmosquitto1; do
  [[ "$depends_web" == *"$needed"* ]] || fail "Depends lacks $needed: $depends_web"
done

depends="$(dpkg-deb -f "$deb" Depends)"
for needed in libqt6widgets6 libqt6serialport6 qt6-qpa-plugins; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
recommends="$(dpkg-deb -f "$deb" Recommends)"
for font in fonts-wqy-zenhei fonts-unifont; do
  [[ "$recommends" == *"$font"* ]] || fail "Recommends lacks $font: $recommends"
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/org.vorfjp.VorFJP.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.vorfjp.VorFJP.metainfo.xml" || fail "metainfo"
cmp "$source/data/VorFjp.ini" "$work/root/usr/share/vorfjp/VorFjp.ini" || fail "template differs from data/VorFjp.ini"
head -1 "$work/root/usr/share/doc/vorfjp/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "copyright file is not machine-readable"
# The packaged sender finds its weather drawing module where the package put it.
if "$work/root/usr/bin/vorfjp-send" --dry-run --content "$source/data/VorFjp.ini" weather >"$work/weather.out" 2>"$work/weather.err" \
  && [ "$(wc -l <"$work/weather.out")" -eq 2 ]; then :; else
  cat "$work/weather.err" >&2
  fail "the packaged vorfjp-send cannot draw the weather"
fi
[ -x "$work/root/usr/share/doc/vorfjp/examples/vorfjp-ecb-rates" ] || fail "the example vorfjp-ecb-rates is not executable"
for program in vorfjp vorfjp-boardsim; do
  file "$work/root/usr/bin/$program" | grep -q 'stripped' && ! file "$work/root/usr/bin/$program" | grep -q 'not stripped' \
    || fail "$program is not stripped"
done

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"
