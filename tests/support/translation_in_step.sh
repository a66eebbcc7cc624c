#!/usr/bin/env bash
# translation_in_step.sh LUPDATE TS SOURCE...: fails when a message of the sources has no Chinese
# text in the committed translation, or the translation still holds one the sources dropped.
# lupdate runs on a copy, so the committed file is never touched.
set -euo pipefail
lupdate="$1"
ts="$2"
shift 2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/copy.ts"
"$lupdate" -silent "$@" -ts "$work/copy.ts"
# Each message's source and translation lines, so a failure names the text.
stale="$(grep -B1 -E '<translation type="(unfinished|vanished|obsolete)"' "$work/copy.ts" | grep '<source>' || true)"
if [ -n "$stale" ]; then
  echo "translation out of step with the sources; run the lupdate target of its program (vorfjp-send_lupdate, vorfjp-web_lupdate) and translate:" >&2
  echo "$stale" >&2
  exit 1
fi
echo "every message of $(basename "$ts") is translated"
