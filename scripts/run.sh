#!/usr/bin/env bash
# Builds everything and shows a JSON file in the plugin window (Treskal.wlx64 inside
# lister-host, our stand-in for the file manager) under Wine.
#   scripts/run.sh            # the shipped samples/sample.json
#   scripts/run.sh FILE       # any file
#   scripts/run.sh --doublecmd [FILE]
#                             # Treskal.wlx in the real Double Commander's viewer on Linux
# With a display ($DISPLAY set) the window opens on screen; close it to end. Without one it
# runs on a virtual display, saves a PNG screenshot of the window and prints where it is.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

doublecmd=false
if [[ "${1:-}" == "--doublecmd" ]]; then
  doublecmd=true
  shift
fi

file=${1:-"$root/samples/sample.json"}
if [[ ! -f "$file" ]]; then
  echo "run: no such file: $file" >&2
  exit 1
fi
file=$(realpath "$file")

if $doublecmd; then
  {
    bash "$root/scripts/install-deps.sh"
    cd "$root"
    cmake --preset native
    cmake --build --preset native -j2 --target TreskalQt
  } >&2
  show=("python3" "$root/tests/doublecmd/show_in_doublecmd.py" "$root/build/native/Treskal.wlx"
        "$file")
  if [[ -n "${DISPLAY:-}" ]]; then
    exec "${show[@]}"
  fi
  mkdir -p "$root/build/run"
  name=$(basename "$file")
  shot="$root/build/run/${name%.*}-doublecmd.png"
  rm -f "$shot"
  "${show[@]}" --screenshot "$shot"
  echo "Screenshot of $file in Double Commander: $shot"
  exit 0
fi

# Build chatter goes to stderr so stdout carries only the result.
{
  bash "$root/scripts/install-deps.sh"
  cd "$root"
  cmake --preset win64
  cmake --build --preset win64 -j2
} >&2

win64="$root/build/win64"
host="$win64/tools/lister-host/lister-host.exe"
win() { printf 'Z:%s' "${1//\//\\}"; }

export WINEPREFIX="$root/build/wine-run"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reads file names and arguments in the locale's character set: it must be UTF-8.
if [[ "$(locale charmap 2>/dev/null)" != "UTF-8" ]]; then
  export LC_ALL=C.UTF-8
fi
if [[ ! -f "$WINEPREFIX/.treskal-ready" ]]; then
  echo "run: making the Wine prefix $WINEPREFIX (once, takes a little while)" >&2
  wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.treskal-ready"
fi

plugin=$(win "$win64/Treskal.wlx64")
if [[ -n "${DISPLAY:-}" ]]; then
  echo "run: showing $file; close the window to end" >&2
  wine "$host" --plugin "$plugin" load "$(win "$file")" show >&2
  exit 0
fi

mkdir -p "$root/build/run"
name=$(basename "$file")
shot="$root/build/run/${name%.*}.png"
rm -f "$shot"
log="$root/build/run/lister-host.log"
# The top node opened, so the picture shows the first level's labels.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
  'wine "$0" "$@"; rc=$?; wineserver -k >/dev/null 2>&1; exit $rc' \
  "$host" --plugin "$plugin" load "$(win "$file")" expand-at 0 status screenshot "$(win "$shot")" \
  >"$log" 2>&1 || true
if [[ ! -s "$shot" ]]; then
  echo "run: no screenshot was made; lister-host said:" >&2
  cat "$log" >&2
  exit 1
fi
grep -E '^(messagebox|status):' "$log" >&2 || true
echo "Screenshot of $file in the plugin window: $shot"
