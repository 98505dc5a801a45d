#!/usr/bin/env bash
# Installs what is missing, builds, starts the services the tests need and runs every test:
# the normal build, the sanitizer build, the buttons' thread under ThreadSanitizer and a short
# run of each fuzzer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root=$(pwd)
./scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${BAIL_FUZZ_SECONDS:-30}
status=0

# A private CUPS scheduler with a cups-pdf queue, so that printing is tested for real. Needs
# root (the cups-pdf backend runs as root); where it cannot start the printing test skips.
start_cups_queue() {
  if [ "$(id -u)" -ne 0 ] || ! command -v cupsd >/dev/null || [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    echo "== CUPS: not started (needs root, cupsd and cups-pdf); the printing test will skip"; return 0
  fi
  cups_dir=$(mktemp -d /tmp/bail-cups.XXXXXX)
  mkdir -p "$cups_dir"/spool "$cups_dir"/cache "$cups_dir"/run "$cups_dir"/log "$cups_dir"/ppd
  printf '%s\n' "Listen $cups_dir/cups.sock" "LogLevel warn" "WebInterface No" \
    "<Location />" "  Order allow,deny" "  Allow all" "</Location>" \
    "<Policy default>" "  <Limit All>" "    Order deny,allow" "  </Limit>" "</Policy>" >"$cups_dir"/cupsd.conf
  printf '%s\n' "ServerRoot $cups_dir" "RequestRoot $cups_dir/spool" "CacheDir $cups_dir/cache" \
    "StateDir $cups_dir/run" "TempDir $cups_dir/spool" "ErrorLog $cups_dir/log/error_log" \
    "AccessLog $cups_dir/log/access_log" "PageLog $cups_dir/log/page_log" "ServerBin /usr/lib/cups" \
    "DataDir /usr/share/cups" "SystemGroup root" >"$cups_dir"/cups-files.conf
  if ! cupsd -c "$cups_dir"/cupsd.conf -s "$cups_dir"/cups-files.conf; then
    echo "== CUPS: cupsd did not start; the printing test will skip"; return 0
  fi
  local server="$cups_dir/cups.sock"
  for _ in $(seq 20); do [ -S "$server" ] && break; sleep 0.5; done
  if CUPS_SERVER="$server" lpadmin -p bailpdf -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null &&
     CUPS_SERVER="$server" lpadmin -d bailpdf; then
    # Only the printing tests talk to this scheduler (they pass it on as CUPS_SERVER to a child
    # of their own); cups-pdf writes into the job owner's ~/PDF.
    export BAIL_CUPS_SERVER="$server" BAIL_CUPS_PDF_QUEUE=bailpdf BAIL_CUPS_OUT="$HOME/PDF"
    echo "== CUPS: queue bailpdf on $server"
  else
    echo "== CUPS: the cups-pdf queue could not be made; the printing test will skip"
  fi
}
stop_cups_queue() {
  [ -n "${cups_dir:-}" ] || return 0
  if [ -f "$cups_dir/run/cupsd.pid" ]; then
    local pid; pid=$(cat "$cups_dir/run/cupsd.pid")
    kill "$pid" 2>/dev/null || true
    # The scheduler still writes its cache while it stops.
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.25; done
  fi
  rm -rf "$cups_dir" 2>/dev/null || true
}
trap stop_cups_queue EXIT
trap 'exit 130' INT TERM
start_cups_queue

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
  LSAN_OPTIONS=suppressions="$(pwd)/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1

echo "== the buttons' fading thread under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBAIL_TSAN=ON -DBAIL_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target ui_tests
# Qt itself is not instrumented: what its own thread pool does is not ours to judge.
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1 \
  ./build-tsan/tests/ui_tests --gtest_filter='KelSpeedButton.*:KelButton.*' || status=1

echo "== fuzzers (${fuzz_seconds}s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBAIL_FUZZ=ON -DBAIL_TESTS=ON >/dev/null
# The configuration lists the fuzz targets it defined; each of them is built and run, and one
# that is not there says so.
fuzz_targets=""
for t in $(cat build-fuzz/fuzz_targets.txt); do fuzz_targets="$fuzz_targets ${t%_fuzz}"; done
for t in dbf mdx emf krp; do
  case " $fuzz_targets " in
    *" $t "*) ;;
    *) echo "fuzzer ${t}_fuzz: SKIPPED (not defined by this configuration)" ;;
  esac
done
if [ -z "$fuzz_targets" ]; then echo "no fuzz target was configured"; status=1; fi
[ -z "$fuzz_targets" ] || cmake --build build-fuzz -j "$jobs" --target $(for t in $fuzz_targets; do printf '%s_fuzz ' "$t"; done)
for target in $fuzz_targets; do
  corpus=$(mktemp -d)
  # Real files made by other programs make a good starting corpus when they are at hand.
  if [ -d ../shared/fixtures/dbase ]; then
    find ../shared/fixtures/dbase -iname "*.${target}" -exec cp {} "$corpus"/ \;
  fi
  if [ "$target" = emf ] && [ -d ../shared/fixtures/emf ]; then
    find ../shared/fixtures/emf -iname "*.emf" -exec cp {} "$corpus"/ \;
  fi
  if [ "$target" = krp ]; then
    # Printout files we write ourselves, stored and as bare serialisations.
    seeds=$(mktemp -d)
    if ./build/bailtool demo "$seeds/data" --leases 6 --lessors 2 >/dev/null 2>&1; then
      for n in 1 2 3; do
        ./build/bailtool render "$seeds/data" --lease "$n" --pages 1-1 --krp "$corpus/lease$n.krp" >/dev/null 2>&1 || true
      done
      python3 -c 'import sys, zlib
for p in sys.argv[1:]:
    open(p + ".plain", "wb").write(zlib.decompress(open(p, "rb").read())[4:])' "$corpus"/*.krp 2>/dev/null || true
    fi
    rm -rf "$seeds"
  fi
  rm -f build-fuzz/${target}-crash-* build-fuzz/${target}-leak-* build-fuzz/${target}-timeout-* build-fuzz/${target}-oom-*
  if ! ./build-fuzz/tests/fuzz/${target}_fuzz -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
      -max_len=65536 -artifact_prefix="build-fuzz/${target}-" "$corpus" >"build-fuzz/${target}_fuzz.log" 2>&1; then
    echo "fuzzer ${target}_fuzz found a problem:"; tail -40 "build-fuzz/${target}_fuzz.log"; status=1
    # The input itself, so that the fault can be replayed elsewhere.
    for artifact in build-fuzz/${target}-*; do
      [ -f "$artifact" ] && echo "input $artifact (base64):" && base64 -w 0 "$artifact" | head -c 200000 && echo
    done
  else
    # The coverage reached tells a fuzzer that sees the reader from one that sees only its harness.
    echo "fuzzer ${target}_fuzz: $(grep -E '^#[0-9]+.* cov: ' "build-fuzz/${target}_fuzz.log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')," \
      "$(grep -E '^Done' "build-fuzz/${target}_fuzz.log" | tail -1)"
  fi
  rm -rf "$corpus"
done

if [ "$status" -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
exit "$status"
