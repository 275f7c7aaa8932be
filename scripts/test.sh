#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test: a normal build, an
# AddressSanitizer + UndefinedBehaviorSanitizer build, a ThreadSanitizer build
# of the threaded parts, and the fuzz targets over their corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# More test processes than cores: the tests must hold on a loaded machine.
jobs=4

echo "== normal build"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -DVELNOR7_SANITIZE="address;undefined" -DVELNOR7_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== ThreadSanitizer (threaded parts)"
scripts/build.sh build-tsan -DVELNOR7_SANITIZE=thread -DVELNOR7_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp" ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L '^threaded$'

echo "== fuzz targets over their corpora"
CXX=clang++ BUILD_TARGET=fuzz_targets scripts/build.sh build-fuzz -DVELNOR7_FUZZ=ON -DVELNOR7_TESTS=OFF -DVELNOR7_BENCH=OFF
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in build-fuzz/fuzz/fuzz_*; do
  name=$(basename "$target")
  mkdir -p "$scratch/$name"
  # New inputs go to the scratch folder; the corpus in the repository stays small.
  "$target" -max_total_time=20 "$scratch/$name" "fuzz/corpus/${name#fuzz_}" 2>&1 | tail -1
done
echo "all test runs passed"
