#!/usr/bin/env bash
# Prints how much faster `bailtool dump` reads a lease table than the Perl reader.
# Usage: bench/dump_ratio.sh [BUILD_DIR] [LEASES]
set -euo pipefail
build=${1:-build}
leases=${2:-100000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bailtool" demo "$dir" --leases "$leases" --lessors 50 >/dev/null

seconds() { # runs a command, prints its wall time in seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }' 
}
ours=$(seconds "$build/bailtool" dump "$dir/BailStd.dbf")
perl=$(seconds dbf_dump --fs '|' "$dir/BailStd.dbf")
printf 'leases: %d\nbailtool dump: %.3f s\ndbf_dump:      %.3f s\nratio:         %.1fx\n' \
  "$leases" "$ours" "$perl" "$(awk -v a="$perl" -v b="$ours" 'BEGIN { print a / b }')"
