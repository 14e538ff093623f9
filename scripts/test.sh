#!/usr/bin/env bash
# Builds and runs every test: the native tests, a short fuzzing pass over the
# parsers of untrusted data, and the Windows side cross-built with MinGW and
# run under Wine on a private virtual display.
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
    else
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
