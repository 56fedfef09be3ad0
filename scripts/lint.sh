#!/usr/bin/env bash
# Static analysis: the formatting (clang-format --dry-run -Werror over every C++ file), the
# viewer's logic free of platform headers, clang-tidy (checks from .clang-tidy) and cppcheck
# over the project's own sources, its tests, benchmarks and fuzz targets. Exits non-zero on any
# finding. The files of the native build are checked with its compile database; the
# Windows-only ones (the *_win.cpp files, the plugin, lister-host) with the win64 preset's, as
# clang for the MinGW-w64 target on top of MinGW's C++ headers; the fuzz targets, a project of
# their own built with clang, with their flags given here.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
native=build/native
win64=build/win64

if [[ ! -f "$native/compile_commands.json" ]]; then
  cmake --preset native >/dev/null
fi
if [[ ! -f "$win64/compile_commands.json" ]]; then
  cmake --preset win64 >/dev/null
fi

status=0

format=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z "$format" ]]; then
  echo "lint: clang-format not found" >&2
  exit 1
fi
mapfile -d '' formatted < <(git ls-files -z --cached --others --exclude-standard -- \
  '*.cpp' '*.h' | grep -zv '^build/')
echo "lint: clang-format on ${#formatted[@]} file(s)"
printf '%s\0' "${formatted[@]}" | xargs -0 "$format" --dry-run -Werror || status=1

bash scripts/check-platform-headers.sh || status=1

tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [[ -z "$tidy" ]]; then
  echo "lint: clang-tidy not found" >&2
  exit 1
fi

shopt -s nullglob globstar
candidates=(json/*.cpp viewer/**/*.cpp plugin/*.cpp tools/**/*.cpp tests/**/*.cpp bench/*.cpp)
fuzz_files=(fuzz/*.cpp)
shopt -u nullglob globstar

in_db() { grep -qF "\"file\": \"$root/$1\"" "$2/compile_commands.json"; }

native_files=()
win64_files=()
for f in "${candidates[@]}"; do
  if in_db "$f" "$native"; then
    native_files+=("$f")
  elif in_db "$f" "$win64"; then
    win64_files+=("$f")
  else
    echo "lint: $f is in neither build, clang-tidy skips it"
  fi
done

if [[ ${#candidates[@]} -eq 0 ]]; then
  echo "lint: no sources to check"
  exit 0
fi

# clang would reject GCC-only warning flags from the compile databases.
common=(--quiet --extra-arg=-Wno-unknown-warning-option)

# The Qt tests hand lambdas to QTimer::singleShot, which keeps them in an object the timer
# deletes when it fires; the analyzer loses it inside Qt's header and reports a leak there, in
# a file that is not ours: that one check is left out for them.
qt_test_args=(--checks=-clang-analyzer-cplusplus.NewDeleteLeaks)
plain_files=()
qt_test_files=()
for f in "${native_files[@]}"; do
  if [[ "$f" == tests/qt/* ]]; then qt_test_files+=("$f"); else plain_files+=("$f"); fi
done
if [[ ${#plain_files[@]} -gt 0 ]]; then
  echo "lint: clang-tidy on ${#plain_files[@]} file(s) of the native build"
  printf '%s\0' "${plain_files[@]}" |
    xargs -0 -n1 -P2 "$tidy" -p "$native" "${common[@]}" || status=1
fi
if [[ ${#qt_test_files[@]} -gt 0 ]]; then
  echo "lint: clang-tidy on ${#qt_test_files[@]} Qt test file(s) of the native build"
  printf '%s\0' "${qt_test_files[@]}" |
    xargs -0 -n1 -P2 "$tidy" -p "$native" "${common[@]}" "${qt_test_args[@]}" || status=1
fi

if [[ ${#win64_files[@]} -gt 0 ]]; then
  # The cross compiler's own C++ header folders, which clang does not find by itself.
  cross=$(sed -n 's/^ *"command": "\([^ ]*\) .*/\1/p' "$win64/compile_commands.json" | head -n1)
  win_args=(--extra-arg=--target=x86_64-w64-mingw32)
  while IFS= read -r dir; do
    [[ "$dir" == */c++* ]] && win_args+=("--extra-arg=-isystem$dir")
  done < <(echo | "$cross" -E -x c++ - -v 2>&1 |
           sed -n '/#include <...> search starts here:/,/End of search list./{s/^ //p}')
  # Win32 hands pointers over as integers (GetWindowLongPtrW, LPARAM, GWLP_WNDPROC): the check
  # against integer-to-pointer casts would flag the platform's own interface, not our faults.
  win_args+=(--checks=-performance-no-int-to-ptr)
  echo "lint: clang-tidy on ${#win64_files[@]} Windows-only file(s) of the win64 build"
  printf '%s\0' "${win64_files[@]}" |
    xargs -0 -n1 -P2 "$tidy" -p "$win64" "${common[@]}" "${win_args[@]}" || status=1
fi

if [[ ${#fuzz_files[@]} -gt 0 ]]; then
  echo "lint: clang-tidy on ${#fuzz_files[@]} fuzz target(s)"
  printf '%s\0' "${fuzz_files[@]}" |
    xargs -0 -I{} -P2 "$tidy" --quiet {} -- -std=c++20 -I"$root" || status=1
fi

# cppcheck takes GoogleTest's and Google Benchmark's macros for syntax errors: it checks the
# project's own sources, clang-tidy alone the tests, benchmarks and fuzz targets.
files=()
for f in "${native_files[@]}" "${win64_files[@]}"; do
  [[ "$f" == tests/* || "$f" == bench/* ]] || files+=("$f")
done
echo "lint: cppcheck on ${#files[@]} file(s)"
cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr \
  --std=c++20 --language=c++ -q -j2 -I "$root" "${files[@]}" || status=1

if [[ $status -ne 0 ]]; then
  echo "lint: FAILED" >&2
else
  echo "lint: clean"
fi
exit $status
