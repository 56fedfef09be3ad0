#!/usr/bin/env bash
# Installs the Debian packages the build and tests need. Idempotent: does nothing
# (not even `apt-get update`) when everything is already installed.
set -euo pipefail

packages=(
  build-essential cmake
  libgtest-dev libbenchmark-dev rapidjson-dev
  libsimdjson-dev
  clang-14 libclang-rt-14-dev clang-tidy clang-format cppcheck
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine64 wine wine32:i386 xvfb xauth
  zip imagemagick
  qtbase5-dev doublecmd-qt xdotool xclip x11-utils python3
)

missing=()
for pkg in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all packages present"
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo available" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The 32-bit Wine (for the 32-bit plugin's tests) comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
