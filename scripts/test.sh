#!/usr/bin/env bash
# Builds and runs every test: the native tests, a short fuzzing pass over the
# parsers of untrusted data, the Windows side cross-built with MinGW and run
# under Wine on a private virtual display, and the Debian package and the
# Windows zip as a user takes them (scripts/check-packages.sh).
#   QF_SKIP_WINDOWS=1  leaves out the Windows side
#   QF_FUZZ_SECONDS=N  seconds per fuzz target (default 20)
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
status=0
step() { echo; echo "=== $* ==="; }

if [ "${QF_SKIP_WINDOWS:-0}" = 1 ]; then
  "$top/scripts/setup-deps.sh" native || exit 1
else
  "$top/scripts/setup-deps.sh" windows || exit 1
fi

step "native build"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build "$top/build" -j"$jobs" || exit 1

step "native tests"
ctest --test-dir "$top/build" --output-on-failure -j"$jobs" || status=1

# package BUILD GENERATOR: makes the package in BUILD/packages and prints its path.
package() {
  rm -rf "$1/packages"
  (cd "$1" && cpack -G "$2" >"$1/cpack-$2.log" 2>&1) || { cat "$1/cpack-$2.log"; return 1; }
  find "$1/packages" -maxdepth 1 -name "*.${2,,}" | head -n 1
}

step "Debian package"
if deb=$(package "$top/build" DEB) && [ -n "$deb" ]; then
  "$top/scripts/check-packages.sh" deb "$deb" || status=1
else
  echo "cpack -G DEB failed"; status=1
fi

step "fuzzing"
if cmake -S "$top" -B "$top/build-fuzz" -DQF_FUZZ=ON -DQF_BUILD_TESTS=OFF -DQF_BUILD_BENCH=OFF \
     -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
   cmake --build "$top/build-fuzz" -j"$jobs" >/dev/null; then
  passed=0; failed=0
  for fuzzer in "$top"/build-fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="$top/build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    if "$fuzzer" -max_total_time="${QF_FUZZ_SECONDS:-20}" -rss_limit_mb=2048 -print_final_stats=0 \
         "$corpus" >"$top/build-fuzz/$name.log" 2>&1; then
      echo "$name: ok"; passed=$((passed + 1))
    else
      echo "$name: FAILED"; tail -n 40 "$top/build-fuzz/$name.log"; failed=$((failed + 1))
    fi
  done
  echo "fuzz: $passed passed, $failed failed"
  [ "$failed" -eq 0 ] || status=1
else
  echo "fuzz targets did not build"; status=1
fi

# Builds the Windows side into $1 with the toolchain file $2.
windows_build() {
  cmake -S "$top" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$2" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build "$1" -j"$jobs"
}

if [ "${QF_SKIP_WINDOWS:-0}" != 1 ]; then
  step "Windows build (MinGW, 32-bit)"
  if windows_build "$top/build-win" "$top/cmake/mingw-i686.cmake"; then
    if "$top/scripts/runs-32bit"; then
      step "Windows tests (Wine)"
      "$top/scripts/with-xvfb" ctest --test-dir "$top/build-win" --output-on-failure || status=1
    fi
    step "Windows zip"
    if zip=$(package "$top/build-win" ZIP) && [ -n "$zip" ]; then
      # It checks the contents everywhere and runs the programs where 32-bit ones run.
      "$top/scripts/with-xvfb" "$top/scripts/check-packages.sh" zip "$zip" || status=1
    else
      echo "cpack -G ZIP failed"; status=1
    fi
    if ! "$top/scripts/runs-32bit"; then
      # The same tests of the same code, as a 64-bit build, so that they
      # still run; the 32-bit program above is built but not run.
      echo "This machine cannot run 32-bit programs: the Windows tests run as a 64-bit build under 64-bit Wine."
      step "Windows build (MinGW, 64-bit)"
      if windows_build "$top/build-win64" "$top/cmake/mingw-x86_64.cmake"; then
        step "Windows tests (64-bit Wine)"
        "$top/scripts/with-xvfb" ctest --test-dir "$top/build-win64" --output-on-failure || status=1
      else
        status=1
      fi
    fi
  else
    status=1
  fi
fi

echo
[ "$status" -eq 0 ] && echo "All test stages passed." || echo "Some test stages FAILED."
exit "$status"
