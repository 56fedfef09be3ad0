#!/usr/bin/env bash
# Builds the native tools and prints the document tree of a JSON file.
#   scripts/run.sh                        # the shipped samples/sample.json
#   scripts/run.sh [--max-depth N] FILE   # any file
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Build chatter goes to stderr so stdout carries only the tree.
{
  bash "$root/scripts/install-deps.sh"
  (cd "$root" && cmake --preset native && cmake --build --preset native -j2 --target json-tree)
} >&2

if [[ $# -eq 0 ]]; then
  set -- "$root/samples/sample.json"
fi
exec "$root/build/native/tools/json-tree/json-tree" "$@"
