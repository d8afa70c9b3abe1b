#!/usr/bin/env bash
# Builds the Windows build in build-windows/ with the mingw-w64 cross-compiler:
# PCRE2 and libcurl from the tarballs in third_party/ (the first time only),
# then every library and test program, each a static .exe that needs no DLL.
# scripts/test-windows.sh runs those tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
