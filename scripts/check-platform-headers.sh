#!/usr/bin/env bash
# The viewer's logic (viewer/ outside win32/ and qt/: the viewer, the toolkit surface, the
# memory toolkit, the host layer) is written against the toolkit only: it includes neither
# <windows.h> (nor any other Win32 header) nor a Qt header. Exits non-zero and lists the
# offending lines otherwise.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

platform='#[[:space:]]*include[[:space:]]*[<"]((windows|windowsx|commctrl|commdlg|shellapi|uxtheme|dwmapi)\.h|Q[A-Z][A-Za-z]*|Qt[A-Za-z]*/)'
found=$(find viewer -path viewer/win32 -prune -o -path viewer/qt -prune -o \
          -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
        xargs -0 grep -nE "$platform" || true)
if [[ -n "$found" ]]; then
  echo "platform headers in the viewer's logic (they belong in viewer/win32, viewer/qt or plugin/):"
  echo "$found"
  exit 1
fi
echo "platform headers: none in the viewer's logic"
