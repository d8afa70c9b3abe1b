#!/usr/bin/env bash
# Builds the Windows preset (PCRE2 and libcurl from third_party/ the first
# time) and runs its tests under Wine, in a Wine prefix of its own that is made
# afresh: no window driver, no Mono or Gecko, a zh_CN.UTF-8 locale, and one
# wineserver kept running for all the tests, stopped at the end. Prints how
# long each step took.
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

# The locale is made inside the build folder, so nothing outside it changes,
# and only the programs started from here run in it.
locale_dir="$root/build-windows/locale"
in_locale=(env LOCPATH="$locale_dir" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)
make_locale() {
  mkdir -p "$locale_dir"
  localedef -i zh_CN -f UTF-8 "$locale_dir/zh_CN.UTF-8"
}
step "locale" make_locale

make_prefix() {
  "$wine_dir/wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "${in_locale[@]}" "$wine_dir/wine64" wineboot -i >/dev/null 2>&1
  "${in_locale[@]}" "$wine_dir/wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  "$wine_dir/wineserver" -w
}
step "wine prefix" make_prefix

step "configure, the third-party libraries included" "${in_locale[@]}" cmake --preset windows
step "build" "${in_locale[@]}" cmake --build --preset windows

# Without a server that stays, every test program would start one (seconds
# each). The first program also starts Wine's services and desktop: a trivial
# one takes that wait before the tests do.
"${in_locale[@]}" "$wine_dir/wineserver" -p </dev/null >/dev/null 2>&1
trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT
step "wine start-up" "${in_locale[@]}" "$wine_dir/wine64" cmd /c exit
step "tests" "${in_locale[@]}" ctest --preset windows
