#!/usr/bin/env bash
# Installs what the Windows build and its Wine test run need: the mingw-w64 cross compiler,
# zlib for mingw, Wine, a Chinese locale (so Wine's ANSI code page is 936), and TinyXML,
# minizip, libsodium and GoogleTest cross-built from Debian's sources into a cache keyed by their
# versions.
# Quick when everything is already there.
set -euo pipefail

PACKAGES=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine64
  dpkg-dev locales googletest cmake ninja-build
  autoconf automake libtool libsodium-dev
)
CACHE_ROOT=${ZEMBA_MINGW_CACHE:-/opt/zemba-mingw}
HOST=x86_64-w64-mingw32

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# apt-get source needs a deb-src entry; it must carry the archive key like the binary entry.
add_source_entry() {
  local list=/etc/apt/sources.list.d/zemba-src.sources
  [ -f "$list" ] && return 0
  $SUDO tee "$list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $SUDO apt-get update -qq
}

# Wine takes its ANSI code page from the locale: zh_CN gives 936.
generate_locales() {
  local have
  have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z')
  if grep -qx 'zh_cn.utf8' <<<"$have" && grep -qx 'zh_cn.gbk' <<<"$have"; then return 0; fi
  $SUDO sed -i -e 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' -e 's/^# *\(zh_CN.GBK GBK\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  grep -q '^zh_CN.GBK GBK' /etc/locale.gen || echo 'zh_CN.GBK GBK' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
}

version_of() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo none; }

build_tinyxml() {
  local src prefix=$1
  apt-get source -qq tinyxml >/dev/null
  src=$(find . -maxdepth 1 -type d -name 'tinyxml-*' | head -1)
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
  (cd "$src" && for f in tinyxml tinyxmlparser tinyxmlerror tinystr; do
     $HOST-g++-posix -O2 -DTIXML_USE_STL -c $f.cpp -o $f.o; done
   $HOST-ar rcs "$prefix/lib/libtinyxml.a" tinyxml.o tinyxmlparser.o tinyxmlerror.o tinystr.o
   cp tinyxml.h tinystr.h "$prefix/include/")
  cat >"$prefix/lib/pkgconfig/tinyxml.pc" <<PC
prefix=$prefix
Name: TinyXml
Description: simple, small, C++ XML parser
Version: 2.6.2
Libs: -L\${prefix}/lib -ltinyxml
Cflags: -I\${prefix}/include -DTIXML_USE_STL
PC
}

build_minizip() {
  local src prefix=$1
  apt-get source -qq minizip >/dev/null
  src=$(find . -maxdepth 1 -type d -name 'minizip-*' | head -1)
  mkdir -p "$prefix/include/minizip" "$prefix/lib/pkgconfig"
  (cd "$src" && for f in unzip ioapi iowin32 zip mztools; do
     [ -f $f.c ] && $HOST-gcc-posix -O2 -w -c $f.c -o $f.o; done
   $HOST-ar rcs "$prefix/lib/libminizip.a" ./*.o
   cp unzip.h zip.h ioapi.h iowin32.h "$prefix/include/minizip/")
  cat >"$prefix/lib/pkgconfig/minizip.pc" <<PC
prefix=$prefix
Name: minizip
Description: Minizip zip file manipulation library
Version: 1.1
Libs: -L\${prefix}/lib -lminizip -lz
Cflags: -I\${prefix}/include/minizip
PC
}

# libsodium's own build, static, with the library's portable code paths chosen by configure.
build_libsodium() {
  local src prefix=$1
  apt-get source -qq libsodium >/dev/null
  src=$(find . -maxdepth 1 -type d -name 'libsodium-*' | head -1)
  # Debian's source carries no generated configure script.
  (cd "$src" && autoreconf -fi >/dev/null 2>&1 && ./configure -q --host=$HOST --prefix="$prefix" --disable-shared --enable-static \
     CC=$HOST-gcc-posix >/dev/null &&
   make -s -j "$(nproc)" >/dev/null 2>&1 && make -s install >/dev/null)
}

build_googletest() {
  local prefix=$1
  cmake -S /usr/src/googletest -B gtest-build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build gtest-build -j "$(nproc)" >/dev/null
  cmake --install gtest-build >/dev/null
}

# TinyXML, minizip, libsodium and GoogleTest for mingw, built once per set of source versions.
build_libraries() {
  local key prefix work
  key="tinyxml-$(version_of libtinyxml-dev)_minizip-$(version_of libminizip-dev)_gtest-$(version_of googletest)"
  key="${key}_sodium-$(version_of libsodium-dev)"
  key=${key//[:+~]/_}
  prefix=$CACHE_ROOT/$key
  if [ ! -f "$prefix/.complete" ]; then
    $SUDO mkdir -p "$CACHE_ROOT"
    $SUDO chown "$(id -u):$(id -g)" "$CACHE_ROOT"
    rm -rf "$prefix"
    work=$(mktemp -d)
    (cd "$work" && build_tinyxml "$prefix" && build_minizip "$prefix" && build_libsodium "$prefix" &&
       build_googletest "$prefix")
    rm -rf "$work"
    touch "$prefix/.complete"
  fi
  ln -sfn "$key" "$CACHE_ROOT/current"
}

TOOLCHAIN=$(cd "$(dirname "$0")/.." && pwd)/cmake/MingwToolchain.cmake
install_packages
add_source_entry
generate_locales
build_libraries
