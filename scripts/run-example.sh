#!/usr/bin/env bash
# Installs what the project needs, builds the programs (the window and the
# command line; the tests are scripts/test.sh's), and writes the module for
# the bundled example database into build/TestData.bas.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCHMARKS=OFF
cmake --build build -j"$(nproc)"
example=examples/TestData.mdb
./build/src/cli/vellumtide-cli list "$example"
./build/src/cli/vellumtide-cli build "$example" -o build/TestData.bas --comments high --force
echo "Module written to build/TestData.bas ($(wc -l < build/TestData.bas) lines)"
