#!/usr/bin/env bash
# Installs what is missing, builds, and prepares a demo data folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
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
