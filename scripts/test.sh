#!/usr/bin/env bash
# Full check: installs what is missing, cross-builds for Windows, builds natively (release and
# sanitizer builds), runs the linters and finally the unit tests under ASan/UBSan.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

step() { printf '\n=== %s ===\n' "$*"; }

step "dependencies"
bash scripts/install-deps.sh

step "win64 cross build"
cmake --preset win64
cmake --build --preset win64 -j2

step "native build"
cmake --preset native
cmake --build --preset native -j2

step "native-asan build"
cmake --preset native-asan
cmake --build --preset native-asan -j2

# --- fuzz smoke run -----------------------------------------------------------------------------
# Place for a short, time-boxed run of the fuzz targets once fuzz/ provides them.
# ------------------------------------------------------------------------------------------------

if [[ -x scripts/lint.sh ]]; then
  step "lint"
  scripts/lint.sh
fi

step "unit tests (ASan + UBSan)"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset native-asan
