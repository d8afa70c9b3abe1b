#!/usr/bin/env bash
# Sets up, builds and runs every test of the default build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
