#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing: as root directly,
# otherwise through sudo. Where neither is possible it names the missing packages and the
# command that installs them, and fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/packages.txt")
if ! command -v dpkg-query >/dev/null; then
  echo "install-deps: no dpkg-query here, so the packages cannot be checked; this project expects Debian 12" \
    "with the packages of $here/packages.txt" >&2
  exit 1
fi
missing=()
for p in "${wanted[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command_line="apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
explain() {
  echo "install-deps: these Debian packages are missing: ${missing[*]}" >&2
  echo "install-deps: $1; as root, run:" >&2
  echo "  $command_line" >&2
  exit 1
}

run=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || explain "they cannot be installed without root and there is no sudo"
  run=(sudo)
fi
echo "Installing: ${missing[*]}"
"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq ||
  explain "apt-get update failed"
"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
  explain "apt-get install failed"
