#!/usr/bin/env bash
# Builds the Windows preset (PCRE2 and libcurl from third_party/ the first
# time) and runs its tests under Wine, in a Wine prefix of its own that is made
# afresh: no window driver, no Mono or Gecko, a zh_CN.UTF-8 locale, and one
# wineserver kept running for all the tests, stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/setup.sh

step() {
  local name="$1" start=$SECONDS
  shift
  "$@"
  echo "test-windows: $name: $((SECONDS - start)) s"
}

wine_dir=/usr/lib/wine
export WINEPREFIX="$root/build-windows/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The locale goes into the build folder, so nothing outside it changes.
make_locale() {
  mkdir -p "$root/build-windows/locale"
  localedef -i zh_CN -f UTF-8 "$root/build-windows/locale/zh_CN.UTF-8"
}
step "locale" make_locale
export LOCPATH="$root/build-windows/locale"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

make_prefix() {
  "$wine_dir/wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
  "$wine_dir/wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  "$wine_dir/wineserver" -w
}
step "wine prefix" make_prefix

# Without a server that stays, every test program would start one (seconds each).
"$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1
trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT

step "configure (third-party libraries included)" cmake --preset windows >/dev/null
step "build" cmake --build --preset windows
step "tests" ctest --preset windows
