#!/usr/bin/env bash
# Builds the command line and runs the whole job on a generated demo project:
# scan, copy every file found, add Harmony.dll, set FullPackageFlag.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-deps.sh" native
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" --target quillfen -j"$(nproc)" >/dev/null
rm -rf "$top/build/demo"
"$top/build/src/cli/quillfen" demo "$top/build/demo"
