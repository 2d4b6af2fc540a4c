#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later

# Installs what is missing, builds Vorda, and runs every test: the unit, interop and
# window tests, then the core tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# then a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)

echo "== build and test"
scripts/build.sh
echo "== form of the code"
scripts/check-style.sh build format spdx layers naming
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

echo "== sanitizer build (address, undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORDA_SANITIZE=ON -DVORDA_GUI=OFF
cmake --build build-asan --target core_tests export_tests freedb_tests find_tests player_tests vorda-cli
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs")

echo "== fuzz targets (short runs)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORDA_FUZZ=ON -DVORDA_GUI=OFF -DVORDA_TESTS=OFF
cmake --build build-fuzz
for f in build-fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  seeds="fuzz/seeds/${name#fuzz_}"
  echo "-- $name"
  # Every seed (the regression inputs among them) must pass as it stands.
  if [ -d "$seeds" ]; then
    "$f" -rss_limit_mb=2048 -timeout=20 -artifact_prefix=build-fuzz/ "$seeds"/*
  fi
  # Then a short mutation run. Memory errors, undefined behaviour, hangs, running out of
  # memory and a harness's own consistency check (a rewritten tag that does not read back the
  # same, a save that is not a fixed point) all fail the run; the input is kept in build-fuzz/.
  corpus="build-fuzz/corpus-$name"
  rm -rf "$corpus" && mkdir -p "$corpus"
  args=("$corpus")
  [ -d "$seeds" ] && args+=("$seeds")
  log="build-fuzz/$name.log"
  if ! "$f" -seed=1 -runs="${VORDA_FUZZ_RUNS:-40000}" -max_total_time="${VORDA_FUZZ_SECONDS:-120}" \
      -rss_limit_mb=2048 -timeout=20 -artifact_prefix=build-fuzz/ "${args[@]}" > "$log" 2>&1; then
    tail -n 40 "$log"
    echo "FAILED: $name found an input that breaks it; see above and build-fuzz/"
    exit 1
  fi
  tail -n 1 "$log"
done
echo "== fuzz targets done"
echo "== all tests passed"
