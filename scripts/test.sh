#!/usr/bin/env bash
# Full check: installs what is missing, cross-builds for 64-bit and 32-bit Windows, builds natively
# (release and sanitizer builds), runs the linters, the unit tests under ASan/UBSan and the
# end-to-end tests of both DLLs under Wine (the 32-bit one in a 32-bit Wine prefix of its own).
# TRESKAL_WINE32=0 leaves out the 32-bit DLL's Wine tests (CTest label wine32).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

step() { printf '\n=== %s ===\n' "$*"; }

step "dependencies"
bash scripts/install-deps.sh

step "win32 cross build"
cmake --preset win32
cmake --build --preset win32 -j2

# After win32: the 64-bit build packs the 32-bit DLL into Treskal.zip.
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
# One minute per fuzz target (side by side on the cores), built with clang++-14 into build/fuzz;
# any crash, sanitizer report or failed check fails the run. Skipped where clang++-14 is missing.
if command -v clang++-14 >/dev/null 2>&1 && [[ -x fuzz/run.sh ]]; then
  step "fuzz smoke run"
  fuzz/run.sh 60
fi
# ------------------------------------------------------------------------------------------------

if [[ -x scripts/lint.sh ]]; then
  step "lint"
  scripts/lint.sh
fi

step "unit tests (ASan + UBSan)"
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
ctest --preset native-asan || status=1

step "end-to-end tests of Treskal.wlx64 (64-bit Wine)"
ctest --preset win64 || status=1

step "end-to-end tests of Treskal.wlx (32-bit Wine)"
if [[ "${TRESKAL_WINE32:-1}" == 0 ]]; then
  ctest --preset win32 -LE wine32 || status=1
else
  ctest --preset win32 || status=1
fi
exit $status
