#!/usr/bin/env bash
# Builds the libraries the Windows program links statically, PCRE2 and libcurl,
# from the source tarballs kept in third_party/, into PREFIX:
#   scripts/build-third-party.sh PREFIX TOOLCHAIN_FILE
# Every tarball is checked against third_party/SHA256SUMS before it is opened;
# nothing is downloaded. A finished PREFIX holds a stamp with those sums, and a
# second run with the same tarballs does nothing.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PREFIX TOOLCHAIN_FILE" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
prefix="$(mkdir -p "$1" && cd "$1" && pwd)"
toolchain="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
third_party="$root/third_party"
stamp="$prefix/.built-from"
jobs="${QIMBRA_JOBS:-2}"

if [ -f "$stamp" ] && cmp -s "$stamp" "$third_party/SHA256SUMS"; then
  exit 0
fi

(cd "$third_party" && sha256sum --check --strict --quiet SHA256SUMS) || {
  echo "build-third-party: a tarball in third_party/ does not match SHA256SUMS" >&2
  exit 1
}

work="$prefix/work"
rm -rf "$work" "$stamp"
mkdir -p "$work"
tar -xzf "$third_party/pcre2-10.42.tar.gz" -C "$work"
tar -xzf "$third_party/curl-7.88.1.tar.gz" -C "$work"

common=(
  -G Ninja
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix"
  -DCMAKE_INSTALL_LIBDIR=lib
  -DBUILD_SHARED_LIBS=OFF
)

# PCRE2: the 16-bit library only, with its JIT.
cmake -S "$work/pcre2-10.42" -B "$work/pcre2-build" "${common[@]}" \
  -DBUILD_STATIC_LIBS=ON \
  -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_BUILD_PCRE2_32=OFF \
  -DPCRE2_SUPPORT_JIT=ON -DPCRE2_SUPPORT_UNICODE=ON \
  -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF -DPCRE2_SHOW_REPORT=OFF >/dev/null
cmake --build "$work/pcre2-build" -j "$jobs"
cmake --install "$work/pcre2-build" >/dev/null

# libcurl: HTTP and HTTPS through Schannel, Windows' own TLS, with no CA file
# of its own (the system store decides) and nothing else beside it.
cmake -S "$work/curl-7.88.1" -B "$work/curl-build" "${common[@]}" \
  -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF -DCURL_ENABLE_EXPORT_TARGET=ON \
  -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON \
  -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
  -DCURL_USE_LIBPSL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DUSE_LIBIDN2=OFF \
  -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF \
  -DENABLE_UNIX_SOCKETS=OFF >/dev/null
cmake --build "$work/curl-build" -j "$jobs"
cmake --install "$work/curl-build" >/dev/null

rm -rf "$work"
cp "$third_party/SHA256SUMS" "$stamp"
