#!/usr/bin/env bash
# Builds the show's web page into dist/web/: show.js and show.wasm (WebAssembly and WebGL 2,
# Debian's emscripten), the page of platform/web/, the data set (gzip-compressed where that
# is smaller, listed in data/files.json) and the licences of what the page links.
#
# The libraries (SDL2, libmpg123, FFTW single precision) are built from Debian's own source
# packages once per machine, into
#   ${XDG_CACHE_HOME:-$HOME/.cache}/show-web/<emscripten's version>/<library>-<version>-r<recipe>/
# as scripts/build-windows.sh does for Windows (scripts/lib/debian-sources.bash); an entry
# that exists is whole. SDL2 is compiled from a fixed list of its sources, as emscripten's
# own port of it does, instead of through its configure (docs/web.md).
#
# One line per step on stdout; the compilers' output goes to build-web/build.log.
# Usage: scripts/build-web.sh [--data DIR]   (default: data/)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
DATA=$ROOT/data
while [ $# -gt 0 ]; do
  case $1 in
    --data) [ $# -ge 2 ] || { echo "build-web: --data needs a folder" >&2; exit 2; }
            DATA=$(cd "$2" && pwd); shift 2 ;;
    --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) echo "build-web: unknown argument '$1' (scripts/build-web.sh --help)" >&2; exit 2 ;;
  esac
done

OUT=$ROOT/build-web
LOG=$OUT/build.log
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/show-web
DIST=$ROOT/dist
JOBS=$(nproc)

mkdir -p "$OUT" "$CACHE"
: >"$LOG"

# A temporary folder being built, removed on failure or interruption.
WORK=""
STAGE=""
cleanup() {
  [ -n "$WORK" ] && rm -rf "$WORK"; WORK=""
  [ -n "$STAGE" ] && rm -rf "$STAGE"; STAGE=""
}
STEP_NAME=build-web
source "$ROOT/scripts/lib/steps.bash"
source "$ROOT/scripts/lib/debian-sources.bash"

# --- Debian packages -----------------------------------------------------------------------
PACKAGES=(emscripten cmake make pkg-config dpkg-dev gzip xz-utils libglm-dev python3)
step "Debian packages (emscripten, cmake, dpkg-dev)" install_packages

SRC_LIST=/etc/apt/sources.list.d/show-web-src.sources
step "Debian source entries (deb-src)" add_source_entries

# emcc's JavaScript optimiser (-O2) needs the node modules Debian installs (acorn).
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# --- the library cache ---------------------------------------------------------------------
# The toolchain's part of the key: emscripten's Debian version (its clang and system
# libraries come with it).
TOOLCHAIN="emscripten$(pkg_version emscripten)"
TOOLCHAIN=${TOOLCHAIN//[^A-Za-z0-9.+_-]/_}
LIBS=$CACHE/$TOOLCHAIN
mkdir -p "$LIBS"

# SDL's sources for the browser: the list of emscripten's own port of SDL (its
# tools/ports/sdl2.py), with what SDL 2.26 added beside them. No configure: SDL's
# include/SDL_config.h takes SDL_config_emscripten.h for emscripten.
SDL2_SOURCES=(
  SDL.c SDL_assert.c SDL_dataqueue.c SDL_error.c SDL_guid.c SDL_hints.c SDL_list.c SDL_log.c
  SDL_utils.c
  atomic/SDL_atomic.c atomic/SDL_spinlock.c
  audio/SDL_audio.c audio/SDL_audiocvt.c audio/SDL_audiodev.c audio/SDL_audiotypecvt.c
  audio/SDL_mixer.c audio/SDL_wave.c audio/disk/SDL_diskaudio.c audio/dummy/SDL_dummyaudio.c
  audio/emscripten/SDL_emscriptenaudio.c
  cpuinfo/SDL_cpuinfo.c dynapi/SDL_dynapi.c
  events/SDL_clipboardevents.c events/SDL_displayevents.c events/SDL_dropevents.c
  events/SDL_events.c events/SDL_gesture.c events/SDL_keyboard.c events/SDL_mouse.c
  events/SDL_quit.c events/SDL_touch.c events/SDL_windowevents.c
  file/SDL_rwops.c filesystem/emscripten/SDL_sysfilesystem.c
  haptic/SDL_haptic.c haptic/dummy/SDL_syshaptic.c
  joystick/SDL_gamecontroller.c joystick/SDL_joystick.c joystick/controller_type.c
  joystick/emscripten/SDL_sysjoystick.c
  loadso/dlopen/SDL_sysloadso.c locale/SDL_locale.c locale/emscripten/SDL_syslocale.c
  main/dummy/SDL_dummy_main.c misc/SDL_url.c misc/dummy/SDL_sysurl.c
  power/SDL_power.c power/emscripten/SDL_syspower.c
  render/SDL_d3dmath.c render/SDL_render.c render/SDL_yuv_sw.c
  render/direct3d/SDL_render_d3d.c render/direct3d11/SDL_render_d3d11.c
  render/opengl/SDL_render_gl.c render/opengl/SDL_shaders_gl.c
  render/opengles/SDL_render_gles.c render/opengles2/SDL_render_gles2.c
  render/opengles2/SDL_shaders_gles2.c render/psp/SDL_render_psp.c
  render/software/SDL_blendfillrect.c render/software/SDL_blendline.c
  render/software/SDL_blendpoint.c render/software/SDL_drawline.c
  render/software/SDL_drawpoint.c render/software/SDL_render_sw.c
  render/software/SDL_rotate.c render/software/SDL_triangle.c
  sensor/SDL_sensor.c sensor/dummy/SDL_dummysensor.c
  stdlib/SDL_crc16.c stdlib/SDL_crc32.c stdlib/SDL_getenv.c stdlib/SDL_iconv.c
  stdlib/SDL_malloc.c stdlib/SDL_qsort.c stdlib/SDL_stdlib.c stdlib/SDL_string.c
  stdlib/SDL_strtokr.c
  thread/SDL_thread.c thread/generic/SDL_syscond.c thread/generic/SDL_sysmutex.c
  thread/generic/SDL_syssem.c thread/generic/SDL_systhread.c thread/generic/SDL_systls.c
  timer/SDL_timer.c timer/unix/SDL_systimer.c
  video/SDL_RLEaccel.c video/SDL_blit.c video/SDL_blit_0.c video/SDL_blit_1.c
  video/SDL_blit_A.c video/SDL_blit_N.c video/SDL_blit_auto.c video/SDL_blit_copy.c
  video/SDL_blit_slow.c video/SDL_bmp.c video/SDL_clipboard.c video/SDL_egl.c
  video/SDL_fillrect.c video/SDL_pixels.c video/SDL_rect.c video/SDL_shape.c
  video/SDL_stretch.c video/SDL_surface.c video/SDL_video.c video/SDL_yuv.c
  video/dummy/SDL_nullevents.c video/dummy/SDL_nullframebuffer.c video/dummy/SDL_nullvideo.c
  video/emscripten/SDL_emscriptenevents.c video/emscripten/SDL_emscriptenframebuffer.c
  video/emscripten/SDL_emscriptenmouse.c video/emscripten/SDL_emscriptenopengles.c
  video/emscripten/SDL_emscriptenvideo.c video/yuv2rgb/yuv_rgb.c
)
recipe_libsdl2() {
  local prefix=$1 version
  version=$(sed -n 's/^#define SDL_\(MAJOR_VERSION\|MINOR_VERSION\|PATCHLEVEL\) *\([0-9]*\).*/\2/p' \
    include/SDL_version.h | paste -sd.)
  mkdir -p "$prefix/lib/pkgconfig" "$prefix/include/SDL2" objects
  cp include/*.h "$prefix/include/SDL2/"
  # Both cores: one emcc a source, the object beside its path under objects/.
  printf '%s\n' "${SDL2_SOURCES[@]}" | nice -n 19 xargs -P"$JOBS" -I{} sh -c \
    'mkdir -p "objects/$(dirname "$1")" && emcc -c "src/$1" -o "objects/$1.o" -Iinclude -O2 -w' \
    sh {}
  local objects=("${SDL2_SOURCES[@]/#/objects/}")
  emar rcs "$prefix/lib/libSDL2.a" "${objects[@]/%/.o}"
  cat >"$prefix/lib/pkgconfig/sdl2.pc" <<PC
prefix=$prefix
exec_prefix=\${prefix}
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: sdl2
Description: Simple DirectMedia Layer, compiled for emscripten from a fixed source list
Version: $version
Libs: -L\${libdir} -lSDL2
Cflags: -I\${includedir} -I\${includedir}/SDL2
PC
}
recipe_mpg123() {
  # Only the decoding library, in plain C (no assembly for wasm32): no audio output of its
  # own, no loadable modules, none of the programs. Its config.sub knows no
  # wasm32-unknown-emscripten; wasm32-unknown-none makes it cross-compile.
  PKG_CONFIG_LIBDIR="$1/lib/pkgconfig" CFLAGS=-O2 emconfigure ./configure \
    --host=wasm32-unknown-none --prefix="$1" --enable-static --disable-shared \
    --with-audio=dummy --disable-modules --with-cpu=generic
  nice -n 19 emmake make -j"$JOBS" src/libmpg123/libmpg123.la
  make install-libLTLIBRARIES install-includeHEADERS install-nodist_includeHEADERS \
    install-pkgconfigDATA lib_LTLIBRARIES=src/libmpg123/libmpg123.la pkgconfig_DATA=libmpg123.pc
}
recipe_fftw3() {
  # Single precision, no threads, no SIMD (none for wasm32 in FFTW), none of its tests.
  mkdir -p build
  emcmake cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX="$1" -DENABLE_FLOAT=ON -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF \
    -DENABLE_THREADS=OFF -DENABLE_OPENMP=OFF
  nice -n 19 cmake --build build -j"$JOBS"
  cmake --install build
}

remove_stale_builds
library libsdl2 1 SDL2_PREFIX
library mpg123 1 MPG123_PREFIX
library fftw3 1 FFTW_PREFIX
# What the page links, for its licences and sources (dist/web/SOURCES.txt, scripts/package.sh).
printf '%s\n' "${LINKED[@]}" >"$OUT/libraries.txt"

# --- the show -----------------------------------------------------------------------------
# The host's GLM, in a folder of its own (link_host_headers; SHOW_WEB_HOST_HEADERS in
# CMakeLists.txt).
HOST_HEADERS=$OUT/host-headers
configure_show() {
  local prefixes fresh
  link_host_headers || return 1
  prefixes=$(prefix_list)
  fresh=$(fresh_unless_configured_with_prefixes "$OUT" SHOW_WEB_PREFIXES)
  PKG_CONFIG_LIBDIR=$(IFS=:; echo "${PREFIXES[*]/%//lib/pkgconfig}") \
    emcmake cmake $fresh -S "$ROOT" -B "$OUT" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
    "-DSHOW_WEB_PREFIXES=$prefixes" "-DSHOW_WEB_HOST_HEADERS=$HOST_HEADERS"
}
step "configure build-web/" configure_show
step "compile show" nice -n 19 cmake --build "$OUT" -j"$JOBS" --target show

# --- dist/web/ ----------------------------------------------------------------------------
# The data set: data/ by default, generated by the native build when it is missing or stale
# (as scripts/package.sh does); --data names a folder of one's own, used as it is.
if [ "$DATA" = "$ROOT/data" ]; then
  generator=build/tools/make-data/make-data
  if [ ! -x "$generator" ] || ./scripts/generate-data.sh --needed "$generator" data; then
    step "data set into data/ (scripts/build.sh make-data)" ./scripts/build.sh make-data
  fi
fi
[ -f "$DATA/loading_1024x512.raw" ] || fail "no loading_1024x512.raw in ${DATA#"$ROOT"/}/: not a data set"

# Each data file gzip-compressed (the page decompresses it) where that makes it smaller,
# else stored as it is (the MP3); data/files.json lists them, the loading picture first
# since the page shows it while the rest arrives.
compress_data() {
  local out=$1/data name names=() entries=() stored=0 size=0 path s n
  mkdir -p "$out"
  for name in "$DATA"/*; do
    [ -f "$name" ] || continue
    name=${name##*/}
    [[ $name =~ ^[A-Za-z0-9._+-]+$ ]] || { echo "a data file name the manifest cannot hold: $name"; return 1; }
    names+=("$name")
  done
  printf '%s\n' "${names[@]}" | nice -n 19 xargs -P"$JOBS" -I{} sh -c \
    'gzip -9 -n -c "$1/$2" >"$3/$2.gz" &&
     if [ "$(stat -c %s "$3/$2.gz")" -ge "$(stat -c %s "$1/$2")" ]; then
       rm "$3/$2.gz" && cp "$1/$2" "$3/$2"; fi' sh "$DATA" {} "$out"
  mapfile -t names < <(echo loading_1024x512.raw
                       printf '%s\n' "${names[@]}" | LC_ALL=C sort | grep -vxF loading_1024x512.raw)
  for name in "${names[@]}"; do
    path=$name.gz
    [ -f "$out/$path" ] || path=$name
    s=$(stat -c %s "$out/$path")
    n=$(stat -c %s "$DATA/$name")
    entries+=("{\"name\":\"$name\",\"path\":\"$path\",\"stored\":$s,\"size\":$n}")
    stored=$((stored + s))
    size=$((size + n))
  done
  printf '{"files":[%s],"stored":%d,"size":%d}\n' "$(IFS=,; echo "${entries[*]}")" \
    "$stored" "$size" >"$out/files.json"
}

# The page's files, the program and the data, then the licences: the project's
# (LICENSE.txt), each linked library's Debian copyright file and the texts they point to,
# SOURCES.txt and the project's source (scripts/lib/licences.bash, as in the Windows zip);
# licences/ holds LICENSE.txt and SOURCES.txt too, for the page's link to it. Written
# under a temporary name and renamed into place when whole.
source "$ROOT/scripts/lib/licences.bash"
assemble() {
  local web=$STAGE/web
  mkdir -p "$web"
  if [ -d platform/web ]; then cp -R platform/web/. "$web/"; fi
  cp "$OUT/show.js" "$OUT/show.wasm" "$web/"
  compress_data "$web"
  add_licences "$web" "$OUT/libraries.txt" "show.js and show.wasm" lf
  cp "$web/LICENSE.txt" "$web/SOURCES.txt" "$web/licences/"
  rm -rf "$DIST/web.old"
  [ ! -e "$DIST/web" ] || mv -T "$DIST/web" "$DIST/web.old"
  mv -T "$web" "$DIST/web"
  rm -rf "$DIST/web.old"
}
mkdir -p "$DIST"
STAGE=$(mktemp -d "$DIST/.web.XXXXXX")
step "dist/web/ (page, program, data from ${DATA#"$ROOT"/}/, licences)" assemble
cleanup

# What the page transfers: the program, the page's own files and the stored data.
bytes() { stat -c %s "$@" | awk '{ s += $1 } END { print s + 0 }'; }
wasm=$(bytes "$DIST/web/show.wasm")
js=$(bytes "$DIST/web/show.js")
page=$(cd "$DIST/web" && bytes $(ls -d index.html show-page.js show-page.css 2>/dev/null) /dev/null)
data=$(sed -n 's/.*\],"stored":\([0-9]*\),.*/\1/p' "$DIST/web/data/files.json")
total=$((wasm + js + page + data))
BUDGET=14000000
echo "dist/web/show.wasm: $wasm bytes"
echo "dist/web/show.js: $js bytes"
echo "dist/web/ page files (html, js, css): $page bytes"
echo "dist/web/data/: $data bytes stored ($(sed -n 's/.*,"size":\([0-9]*\)}$/\1/p' "$DIST/web/data/files.json") bytes unpacked)"
if [ "$total" -le "$BUDGET" ]; then
  echo "the page's whole transfer: $total bytes (within $BUDGET)"
else
  echo "build-web: WARNING: the page's whole transfer is $total bytes, over $BUDGET" >&2
fi
