#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test under Wine.
#   tools/test.sh [ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
cd build
ctest -j"$(nproc)" --output-on-failure "$@"
