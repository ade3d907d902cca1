#!/usr/bin/env bash
# Installs what the project needs, builds it, and writes the module for the
# bundled example database into build/Orders.bas.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
example=examples/Orders.json
./build/src/cli/vellumtide-cli list "$example"
./build/src/cli/vellumtide-cli build "$example" -o build/Orders.bas --comments high --force
echo "Module written to build/Orders.bas ($(wc -l < build/Orders.bas) lines)"
