#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed tarvex-cli
# as a user of the installed program would: no TARVEX_HOME, a fresh HOME. The
# user's program folder must be created and filled (never overwritten), and
# the demo project must load and quote from it as it does in the build tree.
set -euo pipefail
build="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/usr" >/dev/null
share="$tmp/usr/share"
for f in tarvex/cs.ini tarvex/newdb.sqlite tarvex/xltDb.sqlite tarvex/help/index.html tarvex/demo/demo.xdt \
  applications/tarvex.desktop mime/packages/tarvex.xml icons/hicolor/48x48/apps/tarvex.png; do
  [ -f "$share/$f" ] || fail "not installed: share/$f"
done

unset TARVEX_HOME XDG_DATA_HOME
export HOME="$tmp/home"
cli="$tmp/usr/bin/tarvex-cli"
folder="$HOME/.local/share/Tarvex"
lc=(--lc-price 断桥铝型材/True/25 --lc-price 普通铝型材/False/21)

[ "$("$cli" init)" = "$folder/newdb.sqlite" ] || fail "init did not use $folder"
for f in cs.ini cllb.txt pic/1.jpg newdb.sqlite xltDb.sqlite demo/demo.xdt; do
  [ -f "$folder/$f" ] || fail "user folder lacks $f"
done
[ -d "$folder/temp1" ] || fail "user folder lacks temp1/"
[ ! -e "$folder/help" ] || fail "the manual was copied into the user folder"
"$cli" load "$folder/demo/demo.xdt" >/dev/null
"$cli" quote "${lc[@]}" --json "$tmp/installed.json" >/dev/null

# A second start keeps what the user changed.
printf '[sysPath]\r\npath1=\r\npath2=mine\r\n' >"$folder/cs.ini"
"$cli" check >/dev/null || true
grep -q 'path2=mine' "$folder/cs.ini" || fail "cs.ini was overwritten"

# The same figures as the build tree gives on the same files.
mkdir "$tmp/build-home"
cp -r "$build/stage/share/tarvex/." "$tmp/build-home/"
"$build/tarvex-cli" --home "$tmp/build-home" load "$folder/demo/demo.xdt" >/dev/null
"$build/tarvex-cli" --home "$tmp/build-home" quote "${lc[@]}" --json "$tmp/build.json" >/dev/null
grep -q '"total"' "$tmp/installed.json" || fail "no quotation figures"
cmp -s "$tmp/installed.json" "$tmp/build.json" || fail "installed quotation differs from the build's"
echo "installed program folder: $folder"
