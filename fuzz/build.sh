#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzzer.cpp) with clang++-14 and ASan + UBSan into
# build/fuzz. Incremental: a second run rebuilds only what changed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
compiler=${TRESKAL_FUZZ_CXX:-clang++-14}

if ! command -v "$compiler" >/dev/null 2>&1; then
  echo "fuzz/build.sh: $compiler not found (Debian: clang-14 libclang-rt-14-dev)" >&2
  exit 1
fi

cmake -S "$root/fuzz" -B "$root/build/fuzz" -G "Unix Makefiles" \
  -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=None >/dev/null
cmake --build "$root/build/fuzz" -j"$(nproc)" -- --no-print-directory
