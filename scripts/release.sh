#!/usr/bin/env bash
# Builds the release packages from clean build folders into dist/:
#   dist/quillfen_X.Y.Z_amd64.deb      the command line for Debian and Ubuntu
#   dist/Quillfen-X.Y.Z-win32.zip      Quillfen.exe and quillfen.exe for Windows
# and checks each as a user would take it (scripts/check-packages.sh).
# X.Y.Z is the project() version of CMakeLists.txt.
#   QF_RELEASE_NO_CHECK=1  builds the packages without checking them
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
dist=$top/dist
"$top/scripts/setup-deps.sh" windows

# build FOLDER CMAKE-ARGS...: a fresh Release build without tests or benchmarks.
build() {
  local dir=$1; shift
  rm -rf "$dir"
  cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQF_BUILD_TESTS=OFF -DQF_BUILD_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
}
# package FOLDER GENERATOR: the package file cpack made, copied into dist/.
package() {
  (cd "$1" && cpack -G "$2" >/dev/null)
  local file
  file=$(find "$1/packages" -maxdepth 1 -name "*.${2,,}" | head -n 1)  # the folder is fresh
  [[ -n $file ]] || { echo "release: cpack -G $2 made no package in $1/packages" >&2; exit 1; }
  cp "$file" "$dist/"
  echo "$dist/$(basename "$file")"
}

mkdir -p "$dist"
echo "=== Debian package ==="
build "$top/build-release"
deb=$(package "$top/build-release" DEB)
echo "=== Windows zip ==="
build "$top/build-release-win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake"
zip=$(package "$top/build-release-win" ZIP)

if [[ ${QF_RELEASE_NO_CHECK:-0} != 1 ]]; then
  echo "=== checks ==="
  "$top/scripts/check-packages.sh" deb "$deb"
  "$top/scripts/with-xvfb" "$top/scripts/check-packages.sh" zip "$zip"
fi
echo
echo "Release packages:"
ls -l "$deb" "$zip"
