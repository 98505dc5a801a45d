#!/usr/bin/env bash
# Installs what is missing, builds, starts the services the tests need and runs every test:
# the normal build, the sanitizer build (which also makes the fuzzers), the buttons' thread
# under ThreadSanitizer and a short run of each fuzzer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root=$(pwd)
script_start=$(date +%s)
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

# Each stage's wall-clock time, printed at the end.
stage_names=() stage_secs=()
stage_start=$(date +%s)
stage() {
  local now; now=$(date +%s)
  [ -z "${stage_name:-}" ] || { stage_names+=("$stage_name"); stage_secs+=($((now - stage_start))); }
  stage_name=$1 stage_start=$now
  [ -z "$1" ] || echo "== $1"
}
stage_name="install and CUPS" stage_start=$script_start

stage "build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
stage "tests"
ctest --test-dir build --output-on-failure -j "$jobs" || status=1

# One clang build carries AddressSanitizer, UndefinedBehaviorSanitizer and the fuzzers'
# coverage instrumentation: the tests run under the sanitizers, the fuzz targets from the same
# libraries. -O1 keeps the fuzzers fast without the build time of -O2; assertions stay on.
stage "build (clang: AddressSanitizer + UndefinedBehaviorSanitizer + fuzzers)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" -DBAIL_SANITIZE=ON -DBAIL_FUZZ=ON -DBAIL_TESTS=ON \
  -DBAIL_BENCH=OFF -DBAIL_EXAMPLES=OFF >/dev/null
cmake --build build-asan -j "$jobs"
stage "tests under sanitizers"
# Every program a test starts (bailtool above all) inherits these from the environment. The
# suppressions name functions: the symbolizer must be found for them to match.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan.supp"
for symbolizer in /usr/lib/llvm-14/bin/llvm-symbolizer "$(command -v llvm-symbolizer || true)"; do
  [ -x "$symbolizer" ] && { export ASAN_SYMBOLIZER_PATH=$symbolizer; break; }
done
[ -n "${ASAN_SYMBOLIZER_PATH:-}" ] || echo "== no llvm-symbolizer: sanitizer reports will show bare addresses"
ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

stage "the buttons' fading thread under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBAIL_TSAN=ON -DBAIL_BENCH=OFF \
  -DBAIL_EXAMPLES=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target ui_tests
# Qt itself is not instrumented: what its own thread pool does is not ours to judge.
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1 \
  ./build-tsan/tests/ui_tests --gtest_filter='KelSpeedButton.*:KelButton.*' || status=1

stage "fuzzers (${fuzz_seconds}s each)"
# The fuzz targets the sanitizer configuration defined; one that is not there says so.
fuzz_targets=""
for t in $(cat build-asan/fuzz_targets.txt); do fuzz_targets="$fuzz_targets ${t%_fuzz}"; done
for t in dbf mdx emf krp; do
  case " $fuzz_targets " in
    *" $t "*) ;;
    *) echo "fuzzer ${t}_fuzz: SKIPPED (not defined by this configuration)" ;;
  esac
done
if [ -z "$fuzz_targets" ]; then echo "no fuzz target was configured"; status=1; fi

# Seeds the project makes itself, so that a clone fuzzes as deep as CI: the demo's tables and
# indexes (every lease kind, a larger folder for deeper index trees), the seed and archive
# tables, the rendered pages of each kind and printout files, stored and bare.
seeds=$(mktemp -d)
make_seeds() {
  local tool=./build/bailtool d=$seeds/data big=$seeds/big n k f
  $tool demo "$d" --leases 6 --lessors 2 >/dev/null || return 1
  for k in ON NO OO; do $tool add-lease "$d" --kind "$k" >/dev/null || return 1; done
  $tool make-archive "$d" >/dev/null || return 1
  $tool demo "$big" --leases 60 --lessors 5 >/dev/null || return 1
  mkdir -p "$seeds/dbf" "$seeds/mdx" "$seeds/emf" "$seeds/krp"
  for f in "$d"/* "$big"/*; do
    case "$f" in
      *.dbf|*.dat) cp "$f" "$seeds/dbf/$(basename "$(dirname "$f")")-$(basename "$f")" ;;
      *.mdx) cp "$f" "$seeds/mdx/$(basename "$(dirname "$f")")-$(basename "$f")" ;;
    esac
  done
  # Leases 1-6 are the demo's; 7, 8 and 9 the other kinds added above.
  for n in 1 4 7 8 9; do
    $tool render "$d" --lease "$n" --emf "$seeds/emf/lease$n-" >/dev/null || return 1
    $tool render "$d" --lease "$n" --pages 1-1 --krp "$seeds/krp/lease$n.krp" >/dev/null || return 1
  done
  python3 -c 'import sys, zlib
for p in sys.argv[1:]:
    open(p + ".plain", "wb").write(zlib.decompress(open(p, "rb").read())[4:])' "$seeds"/krp/*.krp
}
if ! make_seeds 2>"$seeds/errors.log"; then
  echo "the fuzzers' seed files could not be made:"; cat "$seeds/errors.log"; status=1
fi

[ -z "$fuzz_targets" ] || for target in $fuzz_targets; do
  corpus=$(mktemp -d)
  cp "$seeds/$target"/* "$corpus"/ 2>/dev/null || true
  # Real files made by other programs add to them when they are at hand.
  if [ -d ../shared/fixtures/dbase ]; then
    find ../shared/fixtures/dbase -iname "*.${target}" -exec cp {} "$corpus"/ \;
  fi
  if [ "$target" = emf ] && [ -d ../shared/fixtures/emf ]; then
    find ../shared/fixtures/emf -iname "*.emf" -exec cp {} "$corpus"/ \;
  fi
  # A rendered page runs to about 100 KB.
  max_len=65536
  [ "$target" = emf ] && max_len=131072
  rm -f build-asan/${target}-crash-* build-asan/${target}-leak-* build-asan/${target}-timeout-* build-asan/${target}-oom-*
  if ! ./build-asan/tests/fuzz/${target}_fuzz -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
      -max_len="$max_len" -artifact_prefix="build-asan/${target}-" "$corpus" >"build-asan/${target}_fuzz.log" 2>&1; then
    echo "fuzzer ${target}_fuzz found a problem:"; tail -40 "build-asan/${target}_fuzz.log"; status=1
    # The input itself, so that the fault can be replayed elsewhere.
    for artifact in build-asan/${target}-*; do
      [ -f "$artifact" ] && echo "input $artifact (base64):" && base64 -w 0 "$artifact" | head -c 200000 && echo
    done
  else
    # The coverage reached tells a fuzzer that sees the reader from one that sees only its harness.
    echo "fuzzer ${target}_fuzz: $(grep -E '^#[0-9]+.* cov: ' "build-asan/${target}_fuzz.log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')," \
      "$(grep -E '^Done' "build-asan/${target}_fuzz.log" | tail -1)"
  fi
  rm -rf "$corpus"
done
rm -rf "$seeds"
stage ""

echo "== time of each stage"
for i in "${!stage_names[@]}"; do
  printf '%6.1f min  %s\n' "$(echo "${stage_secs[$i]}" | awk '{print $1 / 60}')" "${stage_names[$i]}"
done
printf '%6.1f min  in all\n' "$(echo $(( $(date +%s) - script_start )) | awk '{print $1 / 60}')"
if [ "$status" -eq 0 ]; then echo "All test runs passed."; else echo "Some test runs FAILED."; fi
exit "$status"
