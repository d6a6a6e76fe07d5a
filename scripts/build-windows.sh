#!/usr/bin/env bash
# Cross-builds the show for 64-bit Windows: show.exe (and the tools that build there) in
# build-windows/, linked statically so that they need only Windows' own DLLs.
#
# The libraries (SDL2, libmpg123, FFTW single precision, zlib, libpng, FreeType) are built
# from Debian's own source packages once per machine, into
#   ${XDG_CACHE_HOME:-$HOME/.cache}/show-windows/<toolchain>/<library>-<version>-r<recipe>/
# so that fresh clones on the same machine reuse them. Each is built in a temporary folder
# beside its entry and renamed into place only when complete: an entry that exists is whole.
#
# One line per step on stdout; the compilers' output goes to build-windows/build.log.
# Usage: scripts/build-windows.sh [target...]   (default: show capture)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
TARGETS=("$@")
[ "${#TARGETS[@]}" -gt 0 ] || TARGETS=(show capture)

TRIPLET=x86_64-w64-mingw32
OUT=$ROOT/build-windows
LOG=$OUT/build.log
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/show-windows
JOBS=$(nproc)

mkdir -p "$OUT" "$CACHE"
: >"$LOG"

# A temporary folder being built, removed on failure or interruption.
WORK=""
cleanup() { [ -n "$WORK" ] && rm -rf "$WORK"; WORK=""; }
STEP_NAME=build-windows
source "$ROOT/scripts/lib/steps.bash"
source "$ROOT/scripts/lib/debian-sources.bash"

# --- Debian packages -----------------------------------------------------------------------
PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  binutils-mingw-w64-x86-64 cmake make pkg-config dpkg-dev xz-utils bzip2
  wine64 libglm-dev
)
step "Debian packages (cross compiler, wine64, dpkg-dev)" install_packages

SRC_LIST=/etc/apt/sources.list.d/show-windows-src.sources
step "Debian source entries (deb-src)" add_source_entries

# --- the library cache ---------------------------------------------------------------------
# The toolchain's part of the key: the cross compiler's and the Windows runtime's versions.
TOOLCHAIN="gcc$(pkg_version g++-mingw-w64-x86-64-posix)-crt$(pkg_version mingw-w64-x86-64-dev)"
TOOLCHAIN=${TOOLCHAIN//[^A-Za-z0-9.+_-]/_}
LIBS=$CACHE/$TOOLCHAIN
mkdir -p "$LIBS"

CROSS_ENV=(
  CC="$TRIPLET-gcc-posix" CXX="$TRIPLET-g++-posix" AR="$TRIPLET-gcc-ar-posix"
  RANLIB="$TRIPLET-gcc-ranlib-posix" STRIP="$TRIPLET-strip" RC="$TRIPLET-windres"
  WINDRES="$TRIPLET-windres"
)
autotools_build() {  # autotools_build <prefix> <configure arguments...>
  local prefix=$1; shift
  env "${CROSS_ENV[@]}" ./configure --host="$TRIPLET" --prefix="$prefix" \
    --enable-static --disable-shared "$@"
  nice -n 19 make -j"$JOBS"
  make install
}

# Each recipe runs in the unpacked source, installs into $1 and may read the prefixes of the
# libraries built before it (ZLIB_PREFIX).
recipe_libsdl2() {
  autotools_build "$1"
}
recipe_mpg123() {
  # Only the decoding library: no audio output of its own, no loadable modules, none of
  # the programs. The host's .pc files (PulseAudio's and the rest) must stay out of its
  # configure.
  PKG_CONFIG_LIBDIR="$1/lib/pkgconfig" env "${CROSS_ENV[@]}" ./configure --host="$TRIPLET" \
    --prefix="$1" --enable-static --disable-shared --with-audio=dummy --disable-modules
  nice -n 19 make -j"$JOBS" src/libmpg123/libmpg123.la
  make install-libLTLIBRARIES install-includeHEADERS install-nodist_includeHEADERS \
    install-pkgconfigDATA lib_LTLIBRARIES=src/libmpg123/libmpg123.la pkgconfig_DATA=libmpg123.pc
}
recipe_fftw3() {
  # FFTW's own aligned allocator: mingw's malloc does not give SSE alignment.
  autotools_build "$1" --enable-single --enable-sse2 --with-our-malloc \
    --disable-fortran --disable-doc --disable-threads
}
recipe_zlib() {
  env "${CROSS_ENV[@]}" CHOST="$TRIPLET" ./configure --static --prefix="$1"
  nice -n 19 make -j"$JOBS" libz.a
  make install
}
recipe_libpng1_6() {
  PKG_CONFIG_LIBDIR="$ZLIB_PREFIX/lib/pkgconfig" \
    CPPFLAGS="-I$ZLIB_PREFIX/include" LDFLAGS="-L$ZLIB_PREFIX/lib" \
    autotools_build "$1"
}
recipe_freetype() {
  # The contact sheet's lettering is all the tools ask of it: no colour fonts. The zlib is
  # the cache's (FreeType's own copy would clash with it in one program), and its .pc file
  # names it among the libraries to link, not only for --static, since a program may name
  # FreeType after libpng and zlib.
  PKG_CONFIG_LIBDIR="$ZLIB_PREFIX/lib/pkgconfig" autotools_build "$1" \
    --with-zlib=yes --without-bzip2 --without-png --without-harfbuzz --without-brotli
  sed -i 's/^Requires:.*/Requires: zlib/; s/^Requires.private:.*//' "$1/lib/pkgconfig/freetype2.pc"
}

remove_stale_builds

library zlib 1 ZLIB_PREFIX
library libpng1.6 1 PNG_PREFIX
library freetype 2 FREETYPE_PREFIX
library mpg123 2 MPG123_PREFIX
library fftw3 1 FFTW_PREFIX
library libsdl2 1 SDL2_PREFIX
# What the programs link, for the zip's licences and sources (scripts/package.sh).
mkdir -p "$OUT"
printf '%s\n' "${LINKED[@]}" >"$OUT/libraries.txt"

# --- the show -----------------------------------------------------------------------------
# The host's GLM, in a folder of its own (link_host_headers; SHOW_WINDOWS_HOST_HEADERS in
# cmake/mingw-w64-x86_64.cmake).
HOST_HEADERS=$OUT/host-headers
configure_show() {
  local prefixes fresh
  link_host_headers || return 1
  prefixes=$(prefix_list)
  fresh=$(fresh_unless_configured_with_prefixes "$OUT" SHOW_WINDOWS_PREFIXES)
  cmake $fresh -S "$ROOT" -B "$OUT" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    "-DSHOW_WINDOWS_PREFIXES=$prefixes" "-DSHOW_WINDOWS_HOST_HEADERS=$HOST_HEADERS"
}
step "configure build-windows/" configure_show
for target in "${TARGETS[@]}"; do
  step "compile $target" nice -n 19 cmake --build "$OUT" -j"$JOBS" --target "$target"
done

for exe in "$OUT"/show.exe "$OUT"/tools/*/*.exe; do
  [ -e "$exe" ] || continue
  echo "${exe#"$ROOT"/}: $(($(stat -c %s "$exe") / 1024)) KiB, imports" \
    "$("$TRIPLET-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -u | tr '\n' ' ')"
done
