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

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo "$@"
  else
    echo "needs root: $*" >&2
    return 1
  fi
}

# --- Debian packages -----------------------------------------------------------------------
PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  binutils-mingw-w64-x86-64 cmake make pkg-config dpkg-dev xz-utils bzip2
  wine64 libglm-dev
)
install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$p")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}
step "Debian packages (cross compiler, wine64, dpkg-dev)" install_packages

# apt-get source needs deb-src entries: one for each Debian suite the apt sources already
# list as deb, written once into a file of their own.
SRC_LIST=/etc/apt/sources.list.d/show-windows-src.sources
add_source_entries() {
  if apt-get source --print-uris zlib >/dev/null 2>&1; then return 0; fi
  local stanzas="" lines=""
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && [ "$f" != "$SRC_LIST" ] || continue
    # Each deb822 stanza of Debian's archive that lists "deb" but not "deb-src".
    stanzas+=$(awk 'BEGIN { RS = ""; FS = "\n" }
         /URIs:[^\n]*debian\.org/ && /Types:[^\n]*deb/ && !/Types:[^\n]*deb-src/ {
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^Types:/) $i = "Types: deb-src"
             if ($i !~ /^#/) print $i
           }
           print ""
         }' "$f")$'\n'
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] && [ "$f" != "${SRC_LIST%.sources}.list" ] || continue
    lines+=$(sed -n 's/^deb\(\s.*debian\.org.*\)$/deb-src\1/p' "$f")$'\n'
  done
  stanzas=$(printf '%s' "$stanzas" | sed '/^$/N;/^\n$/D')
  lines=$(printf '%s' "$lines" | sed '/^$/d')
  if [ -z "${stanzas//[$'\n' ]/}" ] && [ -z "$lines" ]; then
    echo "no Debian deb entries in the apt sources"
    return 1
  fi
  [ -z "${stanzas//[$'\n' ]/}" ] || printf '%s\n' "$stanzas" | as_root tee "$SRC_LIST"
  [ -z "$lines" ] || printf '%s\n' "$lines" | as_root tee "${SRC_LIST%.sources}.list"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  apt-get source --print-uris zlib >/dev/null
}
step "Debian source entries (deb-src)" add_source_entries

# --- the library cache ---------------------------------------------------------------------
# The toolchain's part of the key: the cross compiler's and the Windows runtime's versions.
pkg_version() { dpkg-query -W -f='${Version}' "$1"; }
TOOLCHAIN="gcc$(pkg_version g++-mingw-w64-x86-64-posix)-crt$(pkg_version mingw-w64-x86-64-dev)"
TOOLCHAIN=${TOOLCHAIN//[^A-Za-z0-9.+_-]/_}
LIBS=$CACHE/$TOOLCHAIN
mkdir -p "$LIBS"

# The versions of a source package the apt sources offer, newest first (epoch included).
source_versions() {
  local versions=() v i j
  mapfile -t versions < <(apt-cache showsrc --only-source "$1" 2>/dev/null |
    sed -n 's/^Version: //p' | sort -u)
  # Insertion sort by dpkg's order (a handful of versions at most).
  for ((i = 1; i < ${#versions[@]}; i++)); do
    v=${versions[i]}
    for ((j = i - 1; j >= 0; j--)); do
      dpkg --compare-versions "${versions[j]}" lt "$v" || break
      versions[j + 1]=${versions[j]}
    done
    versions[j + 1]=$v
  done
  [ "${#versions[@]}" -eq 0 ] || printf '%s\n' "${versions[@]}"
}

# Fetches and unpacks a source package's version into ./src. A missing upstream signature
# (.asc) does not stop it; every other file must be there and match the .dsc's SHA-256.
fetch_source() {
  local package=$1 version=$2
  apt-get source --download-only --only-source "$package=$version" || true
  local dsc="${package}_${version#*:}.dsc"
  [ -f "$dsc" ] || { echo "no $dsc"; return 1; }
  local sum size name
  while read -r sum size name; do
    if [ ! -f "$name" ]; then
      case $name in *.asc) continue ;; esac
      echo "missing $name"; return 1
    fi
    echo "$sum  $name" | sha256sum -c --quiet - || return 1
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{s/^ //p}' "$dsc")
  dpkg-source --no-check -x "$dsc" src
}

# Makes a prefix relocatable: pkg-config finds everything relative to the .pc file, and the
# libtool archives (absolute paths, not needed for static linking) go.
relocate_prefix() {
  local prefix=$1
  find "$prefix" -name '*.la' -delete
  local pc
  for pc in "$prefix"/lib/pkgconfig/*.pc; do
    [ -e "$pc" ] || continue
    sed -i "s|^prefix=.*|prefix=\${pcfiledir}/../..|; s|$prefix|\${prefix}|g" "$pc"
  done
}

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

# library <source package> <recipe revision> <variable for its prefix>: sets the variable to
# the prefix of the newest version of the library that is in the cache or can be fetched
# and built, newest first: a newer version than the cache's is built once it can be
# fetched; one that cannot (no network, a mirror without it) leaves the next older.
PREFIXES=()
LINKED=()                             # "source-package version" of each, for the releases
library() {
  local package=$1 revision=$2 variable=$3
  local versions version prefix
  versions=$(source_versions "$package")
  [ -n "$versions" ] || fail "no Debian source package $package"
  for version in $versions; do
    prefix=$LIBS/$package-${version//[^A-Za-z0-9.+_-]/_}-r$revision
    if [ -d "$prefix" ]; then
      echo "$package $version: cached"
      break
    fi
    WORK=$(mktemp -d "$LIBS/.build-$package.XXXXXX")
    if ! (cd "$WORK" && fetch_source "$package" "$version") >>"$LOG" 2>&1; then
      echo "$package $version: cannot be fetched, trying the next version" >>"$LOG"
      cleanup
      continue
    fi
    build_library() {
      # Installed into the temporary prefix, made relocatable, then renamed into place.
      (cd "$WORK/src" && "recipe_${package//[.-]/_}" "$WORK/prefix")
      relocate_prefix "$WORK/prefix"
    }
    step "$package $version: build" build_library
    # rename(2) of a folder fails when the entry appeared meanwhile (another build was
    # quicker): that one is whole, this one goes.
    mv -T "$WORK/prefix" "$prefix" 2>/dev/null || true
    cleanup
    break
  done
  [ -d "$prefix" ] || fail "cannot fetch any source of $package ($(echo $versions))"
  printf -v "$variable" '%s' "$prefix"
  PREFIXES+=("$prefix")
  LINKED+=("$package $version")
}

# Temporary folders left by builds that were killed.
find "$LIBS" -mindepth 1 -maxdepth 1 -name '.build-*' -mmin +240 -exec rm -rf {} + 2>/dev/null || true

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
# GLM is header-only and the same for every architecture: the host's copy, reached through
# a folder of its own so that no other header of /usr/include gets in
# (cmake/mingw-w64-x86_64.cmake, SHOW_WINDOWS_HOST_HEADERS).
HOST_HEADERS=$OUT/host-headers
link_host_headers() {
  [ -f /usr/include/glm/glm.hpp ] || { echo "no /usr/include/glm/glm.hpp (libglm-dev)"; return 1; }
  mkdir -p "$HOST_HEADERS"
  ln -sfn /usr/include/glm "$HOST_HEADERS/glm"
}
configure_show() {
  local prefixes fresh=()
  link_host_headers || return 1
  prefixes=$(IFS=';'; echo "${PREFIXES[*]}")
  # CMake keeps what pkg-config found: other library prefixes need a fresh configuration.
  if [ -f "$OUT/CMakeCache.txt" ] &&
     ! grep -qxF "SHOW_WINDOWS_PREFIXES:STRING=$prefixes" "$OUT/CMakeCache.txt"; then
    fresh=(--fresh)
  fi
  cmake "${fresh[@]}" -S "$ROOT" -B "$OUT" -DCMAKE_BUILD_TYPE=Release \
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
