#!/usr/bin/env bash
# Installs what the build needs, when it is missing, with apt-get.
#   scripts/setup-deps.sh native    compilers, GoogleTest, CLI11, nlohmann-json, clang for fuzzing
#   scripts/setup-deps.sh windows   the above plus MinGW-w64, Wine (32-bit), Xvfb and X tools
set -euo pipefail
want=${1:-native}

native=(cmake make g++ libgtest-dev googletest libbenchmark-dev libcli11-dev nlohmann-json3-dev
        clang libclang-rt-14-dev)
windows=(g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool imagemagick)

packages=("${native[@]}")
[ "$want" = windows ] && packages+=("${windows[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}" >&2
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then: try again,
# and in the end let the install itself say whether anything is really missing.
for attempt in 1 2 3; do
  "${as_root[@]}" apt-get update -q >&2 && break
  echo "apt-get update failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 10))
done
"${as_root[@]}" apt-get install -y -q "${missing[@]}" >&2
