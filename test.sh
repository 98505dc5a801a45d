#!/usr/bin/env bash
# Installs what is missing, builds, starts the services the tests need and runs every test:
# the normal build, the sanitizer build and a short run of each fuzzer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root=$(pwd)
./scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${BAIL_FUZZ_SECONDS:-30}
status=0

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs" || status=1

echo "== build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBAIL_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1

echo "== fuzzers (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBAIL_FUZZ=ON -DBAIL_TESTS=ON >/dev/null
cmake --build build-fuzz -j "$jobs" --target dbf_fuzz mdx_fuzz
for target in dbf mdx; do
  corpus=$(mktemp -d)
  # Real files made by other programs make a good starting corpus when they are at hand.
  if [ -d ../shared/fixtures/dbase ]; then
    find ../shared/fixtures/dbase -iname "*.${target}" -exec cp {} "$corpus"/ \;
  fi
  if ! ./build-fuzz/tests/fuzz/${target}_fuzz -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
      -max_len=65536 "$corpus" >"build-fuzz/${target}_fuzz.log" 2>&1; then
    echo "fuzzer ${target}_fuzz found a problem:"; tail -40 "build-fuzz/${target}_fuzz.log"; status=1
  else
    echo "fuzzer ${target}_fuzz: $(grep -E '^Done|#[0-9]+.*DONE' "build-fuzz/${target}_fuzz.log" | tail -1)"
  fi
  rm -rf "$corpus"
done

if [ "$status" -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
exit "$status"
