#!/usr/bin/env bash
# Installs what is missing, builds, prepares a demo data folder and starts the program on it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root=$(pwd)
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
demo=${BAIL_DEMO_DIR:-$HOME/.local/share/leaseform/demo}
if [ ! -f "$demo/BailStd.dbf" ]; then
  mkdir -p "$demo"
  ./build/bailtool demo "$demo" --leases 200 --lessors 12
fi
./build/bailtool check "$demo"
echo "Demo data folder: $demo"
echo "Inspect it with: ./build/bailtool dump $demo/BailStd.dbf"
# The program works on the tables of its current directory.
cd "$demo"
exec "$root/build/leaseform"
