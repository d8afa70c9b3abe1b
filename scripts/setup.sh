#!/usr/bin/env bash
# Installs everything the project builds, tests and runs with, from Debian's
# packages. Safe to run again: packages already present are skipped.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libicu-dev libpcre2-dev libcurl4-openssl-dev libssl-dev openssl curl
  libcpp-httplib-dev
  qt6-base-dev qt6-translations-l10n fonts-noto-cjk
  # The Windows build: the cross-compiler, Wine to run its tests, a locale.
  g++-mingw-w64-x86-64-posix wine wine64 xvfb locales
  # Its end-to-end run: driving the window, and its screenshot.
  xdotool x11-apps imagemagick
  # Fuzzing: clang with its sanitizer and libFuzzer runtimes.
  clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "setup: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
