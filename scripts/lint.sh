#!/usr/bin/env bash
# Static analysis: clang-tidy (checks from .clang-tidy) and cppcheck over the project's own
# sources. Exits non-zero on any finding. Windows-only *_win.cpp files are skipped: the native
# compile database has no flags for them.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=build/native
db="$build/compile_commands.json"

if [[ ! -f "$db" ]]; then
  cmake --preset native >/dev/null
fi

tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [[ -z "$tidy" ]]; then
  echo "lint: clang-tidy not found" >&2
  exit 1
fi

shopt -s nullglob globstar
candidates=(json/*.cpp viewer/**/*.cpp plugin/*.cpp tools/**/*.cpp)
shopt -u nullglob globstar

files=()
for f in "${candidates[@]}"; do
  [[ "$f" == *_win.cpp ]] && continue
  files+=("$f")
done

if [[ ${#files[@]} -eq 0 ]]; then
  echo "lint: no sources to check"
  exit 0
fi

# clang-tidy needs the exact compile flags; files the native build does not compile have none.
tidy_files=()
for f in "${files[@]}"; do
  if grep -qF "\"file\": \"$root/$f\"" "$db"; then
    tidy_files+=("$f")
  else
    echo "lint: $f is not part of the native build, clang-tidy skips it"
  fi
done

status=0

if [[ ${#tidy_files[@]} -gt 0 ]]; then
  echo "lint: clang-tidy on ${#tidy_files[@]} file(s)"
  # clang would reject GCC-only warning flags from the compile database.
  printf '%s\0' "${tidy_files[@]}" |
    xargs -0 -n1 -P2 "$tidy" -p "$build" --quiet \
      --extra-arg=-Wno-unknown-warning-option || status=1
fi

echo "lint: cppcheck on ${#files[@]} file(s)"
cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr \
  --std=c++20 --language=c++ -q -j2 -I "$root" "${files[@]}" || status=1

if [[ $status -ne 0 ]]; then
  echo "lint: FAILED" >&2
else
  echo "lint: clean"
fi
exit $status
