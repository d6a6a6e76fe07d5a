#!/usr/bin/env bash
# Makes the three releases into dist/:
#   dist/show-windows-x86_64.zip   show.exe, capture.exe, the data folder, README.txt, the
#                                   licences (LICENSE.txt, licences/), SOURCES.txt and the
#                                   project's source
#   dist/show-web.zip               the web page as dist/web/ holds it: the page, show.js,
#                                   show.wasm, the compressed data set, the same licences
#                                   and source
#   dist/show_<version>_<arch>.deb  /usr/bin/show, /usr/bin/show-capture and the data set in
#                                   /usr/share/show/data, which the installed programs find
#                                   from any folder
# It builds what they need: data/ (scripts/build.sh make-data) when it is missing or stale,
# the Linux programs in build-package/ (Release, the installed data folder compiled in) and
# the Windows programs in build-windows/ (scripts/build-windows.sh) and the web page in
# dist/web/ (scripts/build-web.sh). The version is
# packaging/version, then "+git<commit date>.<short hash>" of HEAD.
#
# Usage: scripts/package.sh [--no-capture-exe] [--check]
#   --no-capture-exe  make the zip without capture.exe (said on every run) when it cannot
#                     be built; without it a capture.exe that does not build is a failure
#   --check           build nothing: only check the files already in dist/ (the programs,
#                     README.txt and the data set in the zips, the web zip's manifest
#                     against its data files; the files and a Depends line in the package)
#
# One line per step; the steps' own output goes to build-package/package.log. A failing
# step names itself in one line and the script exits 1; SIGINT or SIGTERM ends the running
# step, removes what was half-written and exits 128 + the signal. dist/ only ever holds
# whole files: each is written under a temporary name and renamed when complete.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
DIST=$ROOT/dist
BUILD=$ROOT/build-package
LOG=$BUILD/package.log
INSTALLED_DATA=/usr/share/show/data
ZIP_NAME=show-windows-x86_64.zip
ZIP_TOP=show-windows-x86_64
WEB_ZIP_NAME=show-web.zip
WEB_ZIP_TOP=show-web

with_capture_exe=1
check_only=0
for arg in "$@"; do
  case $arg in
    --no-capture-exe) with_capture_exe=0 ;;
    --check) check_only=1 ;;
    --help)
      sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"
      exit 0
      ;;
    *) echo "package: unknown argument '$arg' (scripts/package.sh --help)" >&2; exit 2 ;;
  esac
done

mkdir -p "$BUILD" "$DIST"
: >"$LOG"

# Files being written, removed on failure or interruption.
TEMPORARY=()
cleanup() {
  local f
  for f in "${TEMPORARY[@]}"; do rm -rf "$f"; done
  TEMPORARY=()
}
STEP_NAME=package
source "$ROOT/scripts/lib/steps.bash"
source "$ROOT/scripts/lib/licences.bash"

# --- the checks (also the last step of a build) ---------------------------------------------
# The package: its name, a Depends line naming the libraries the show links, the programs,
# the copyright file and the whole data set (every file of data/ where there is one here,
# else at least the soundtrack).
check_deb() {
  local debs=("$DIST"/show_*.deb)
  [ -f "${debs[0]}" ] || { echo "no dist/show_*.deb"; return 1; }
  [ "${#debs[@]}" -eq 1 ] || { echo "more than one dist/show_*.deb: ${debs[*]}"; return 1; }
  local deb=${debs[0]}
  dpkg-deb --info "$deb"
  [ "$(dpkg-deb --field "$deb" Package)" = show ] || { echo "the package is not named show"; return 1; }
  local depends library
  depends=$(dpkg-deb --field "$deb" Depends)
  [ -n "$depends" ] || { echo "no Depends line"; return 1; }
  for library in libc6 libsdl2 libmpg123 libfftw3-single libgl1 libx11 libasound2; do
    [[ $depends == *"$library"* ]] || { echo "Depends lacks $library: $depends"; return 1; }
  done
  local contents file
  contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
  for file in ./usr/bin/show ./usr/bin/show-capture ./usr/share/doc/show/copyright \
              ./usr/share/doc/show/show-source.tar.gz \
              ".$INSTALLED_DATA/maronekt-mix6.mp3"; do
    grep -qxF "$file" <<<"$contents" || { echo "the package lacks $file"; return 1; }
  done
  if [ -d data ]; then
    for file in data/*; do
      grep -qxF ".$INSTALLED_DATA/${file#data/}" <<<"$contents" ||
        { echo "the package lacks $INSTALLED_DATA/${file#data/}"; return 1; }
    done
  fi
  # The copyright file in Debian's machine-readable format, the project under GPL-2+.
  local copyright
  copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/show/copyright)
  [[ $copyright == "Format: "* ]] || { echo "the copyright file is not in the machine-readable format"; return 1; }
  grep -qx 'License: GPL-2+' <<<"$copyright" || { echo "the copyright file names no GPL-2+ licence"; return 1; }
  echo "$deb: $(grep -c "^.$INSTALLED_DATA/." <<<"$contents") data files, Depends: $depends"
}

# The zip: one folder holding show.exe, capture.exe (unless left out on request), README.txt
# with Windows line endings and the data set.
check_zip() {
  local zip=$DIST/$ZIP_NAME
  [ -f "$zip" ] || { echo "no dist/$ZIP_NAME"; return 1; }
  local contents file
  contents=$(cmake -E tar tf "$zip")
  local wanted=("$ZIP_TOP/show.exe" "$ZIP_TOP/README.txt" "$ZIP_TOP/data/maronekt-mix6.mp3")
  check_licences "$contents" "$ZIP_TOP" zlib libpng1.6 freetype mpg123 fftw3 libsdl2 || return 1
  [ "$with_capture_exe" = 1 ] && wanted+=("$ZIP_TOP/capture.exe")
  if [ -d data ]; then
    for file in data/*; do wanted+=("$ZIP_TOP/$file"); done
  fi
  for file in "${wanted[@]}"; do
    grep -qxF "$file" <<<"$contents" || { echo "the zip lacks $file"; return 1; }
  done
  local readme
  readme=$(mktemp -d)
  (cd "$readme" && cmake -E tar xf "$zip" "$ZIP_TOP/README.txt")
  if grep -q $'[^\r]$' "$readme/$ZIP_TOP/README.txt"; then
    rm -rf "$readme"
    echo "README.txt has lines without Windows line endings"
    return 1
  fi
  rm -rf "$readme"
  echo "$zip: $(wc -l <<<"$contents") entries"
}

# The web page's zip: one folder holding dist/web/ (the page, show.js, show.wasm, the data
# set as data/files.json lists it, the licences and the source). show.wasm is WebAssembly
# and the manifest names, in order, loading_1024x512.raw first, every file of data/ with
# the stored file's size and the sums of both sizes.
check_web_zip() {
  local zip=$DIST/$WEB_ZIP_NAME
  [ -f "$zip" ] || { echo "no dist/$WEB_ZIP_NAME"; return 1; }
  local contents file
  contents=$(cmake -E tar tf "$zip")
  for file in index.html show-page.js show-page.css show.js show.wasm data/files.json; do
    grep -qxF "$WEB_ZIP_TOP/$file" <<<"$contents" || { echo "the zip lacks $WEB_ZIP_TOP/$file"; return 1; }
  done
  check_licences "$contents" "$WEB_ZIP_TOP" libsdl2 mpg123 fftw3 || return 1
  local unpacked status=0
  unpacked=$(mktemp -d)
  (cd "$unpacked" && cmake -E tar xf "$zip")
  local web=$unpacked/$WEB_ZIP_TOP
  if [ "$(head -c 4 "$web/show.wasm" | od -An -tx1 | tr -d ' \n')" != 0061736d ]; then
    echo "show.wasm is not WebAssembly"
    status=1
  fi
  [ "$status" = 1 ] || python3 - "$web/data" "$(if [ -d data ]; then echo data; fi)" <<'PY' || status=1
import json, os, sys
folder, source = sys.argv[1], sys.argv[2]
manifest = json.load(open(os.path.join(folder, "files.json")))
files = manifest["files"]
problems = []
if not files or files[0]["name"] != "loading_1024x512.raw":
    problems.append("the manifest does not list loading_1024x512.raw first")
if [f["name"] for f in files[1:]] != sorted(f["name"] for f in files[1:]):
    problems.append("the manifest's files after the first are not in name order")
for f in files:
    path = os.path.join(folder, f["path"])
    if f["path"] not in (f["name"], f["name"] + ".gz"):
        problems.append(f"{f['name']} is stored as {f['path']}")
    elif not os.path.isfile(path):
        problems.append(f"the zip lacks data/{f['path']}")
    elif os.path.getsize(path) != f["stored"]:
        problems.append(f"data/{f['path']}: {os.path.getsize(path)} bytes, the manifest says {f['stored']}")
if manifest["stored"] != sum(f["stored"] for f in files) or manifest["size"] != sum(f["size"] for f in files):
    problems.append("the manifest's sums are not those of its files")
stored = {f["path"] for f in files} | {"files.json"}
for name in sorted(os.listdir(folder)):
    if name not in stored:
        problems.append(f"data/{name} is not in the manifest")
if source:
    listed = {f["name"]: f["size"] for f in files}
    for name in sorted(os.listdir(source)):
        if name.startswith("."):
            continue
        if listed.get(name) != os.path.getsize(os.path.join(source, name)):
            problems.append(f"data/{name} is not in the manifest as it is here")
for line in problems:
    print(line)
print(f"{len(files)} data files, {manifest['stored']} bytes stored, {manifest['size']} unpacked")
sys.exit(1 if problems else 0)
PY
  rm -rf "$unpacked"
  [ "$status" = 0 ] || return 1
  echo "$zip: $(wc -l <<<"$contents") entries"
}

if [ "$check_only" = 1 ]; then
  step "check dist/$ZIP_NAME" check_zip
  step "check dist/$WEB_ZIP_NAME" check_web_zip
  step "check dist/show_*.deb" check_deb
  exit 0
fi

# --- what the releases hold -----------------------------------------------------------------
missing=$(./scripts/deps.sh --missing)
if [ -n "$missing" ]; then
  step "Debian packages: $missing" ./scripts/deps.sh
fi
for tool in dpkg-deb dpkg-shlibdeps strip; do
  command -v "$tool" >/dev/null || fail "no $tool (scripts/deps.sh installs it)"
done

generator=build/tools/make-data/make-data
if [ ! -x "$generator" ] || ./scripts/generate-data.sh --needed "$generator" data; then
  step "data set into data/ (scripts/build.sh make-data)" ./scripts/build.sh make-data
fi

step "configure build-package/ (Release, data in $INSTALLED_DATA)" \
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DSHOW_BENCH=OFF \
  -DSHOW_INSTALLED_DATA_DIR="$INSTALLED_DATA"
step "compile show and capture in build-package/" \
  nice -n 19 cmake --build "$BUILD" -j"$(nproc)" --target show capture
# The programs look for the installed data set only where the build declares the option
# (CMake keeps an undeclared -D value untyped): without it the package would install a data
# set its show never finds.
grep -qxF "SHOW_INSTALLED_DATA_DIR:PATH=$INSTALLED_DATA" "$BUILD/CMakeCache.txt" ||
  fail "the build has no SHOW_INSTALLED_DATA_DIR option: its programs would not find $INSTALLED_DATA"

windows_targets=(show)
[ "$with_capture_exe" = 1 ] && windows_targets+=(capture)
[ "$with_capture_exe" = 1 ] && HINT="; --no-capture-exe makes the zip without capture.exe"
step "Windows programs: ${windows_targets[*]} (scripts/build-windows.sh)" \
  ./scripts/build-windows.sh "${windows_targets[@]}"
HINT=""
if [ "$with_capture_exe" = 0 ]; then
  echo "package: WARNING: $ZIP_NAME is made WITHOUT capture.exe (--no-capture-exe)" >&2
fi

step "web page: dist/web/ (scripts/build-web.sh)" ./scripts/build-web.sh

# Reproducible archives: every file dated at HEAD's commit.
commit_time=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH=$commit_time
version=$(release_version)
arch=$(dpkg --print-architecture)

# Data files are the generated ones only (not the .generated mark).
copy_data() {
  mkdir -p "$1"
  cp -p data/* "$1"/
  chmod 0755 "$1"
  chmod 0644 "$1"/*
}

make_zip() {
  local stage=$BUILD/zip
  rm -rf "$stage"
  mkdir -p "$stage/$ZIP_TOP"
  cp build-windows/show.exe "$stage/$ZIP_TOP/"
  if [ "$with_capture_exe" = 1 ]; then
    cp build-windows/tools/capture/capture.exe "$stage/$ZIP_TOP/"
  fi
  sed 's/\r*$/\r/' packaging/README.txt >"$stage/$ZIP_TOP/README.txt"
  add_licences "$stage/$ZIP_TOP" build-windows/libraries.txt "show.exe and capture.exe" crlf ||
    return 1
  copy_data "$stage/$ZIP_TOP/data"
  (cd "$stage" && cmake -E tar cf "$DIST/.$ZIP_NAME.part" --format=zip \
     --mtime="$(date -u -d "@$commit_time" '+%Y-%m-%d %H:%M:%S UTC')" "$ZIP_TOP")
  mv -f "$DIST/.$ZIP_NAME.part" "$DIST/$ZIP_NAME"
  rm -rf "$stage"
}
TEMPORARY=("$DIST/.$ZIP_NAME.part")
step "dist/$ZIP_NAME" make_zip

# The web page's zip: dist/web/ as build-web.sh made it, which holds its licences and
# source as the Windows zip does.
make_web_zip() {
  local stage=$BUILD/web-zip
  rm -rf "$stage"
  mkdir -p "$stage"
  cp -R "$DIST/web" "$stage/$WEB_ZIP_TOP"
  (cd "$stage" && cmake -E tar cf "$DIST/.$WEB_ZIP_NAME.part" --format=zip \
     --mtime="$(date -u -d "@$commit_time" '+%Y-%m-%d %H:%M:%S UTC')" "$WEB_ZIP_TOP")
  mv -f "$DIST/.$WEB_ZIP_NAME.part" "$DIST/$WEB_ZIP_NAME"
  rm -rf "$stage"
}
TEMPORARY=("$DIST/.$WEB_ZIP_NAME.part" "$BUILD/web-zip")
step "dist/$WEB_ZIP_NAME" make_web_zip

deb_name=show_${version}_${arch}.deb
make_deb() {
  local root=$BUILD/deb
  rm -rf "$root"
  install -d -m 0755 "$root/DEBIAN" "$root/usr/bin" "$root/usr/share/doc/show"
  install -m 0755 -s "$BUILD/show" "$root/usr/bin/show"
  install -m 0755 -s "$BUILD/tools/capture/capture" "$root/usr/bin/show-capture"
  install -m 0644 packaging/copyright "$root/usr/share/doc/show/copyright"
  install -m 0644 packaging/README.Debian "$root/usr/share/doc/show/README.Debian"
  git archive --format=tar.gz --prefix="show-$version/" HEAD >"$root/usr/share/doc/show/show-source.tar.gz"
  copy_data "$root$INSTALLED_DATA"
  find "$root" -type d -exec chmod 0755 {} +

  # The libraries' packages as the programs link them (dpkg-shlibdeps wants a debian/control
  # beside it: one of two lines, in a folder of its own).
  local shlibs=$BUILD/shlibdeps depends
  rm -rf "$shlibs"
  mkdir -p "$shlibs/debian"
  printf 'Source: show\n\nPackage: show\nArchitecture: any\n' >"$shlibs/debian/control"
  (cd "$shlibs" && dpkg-shlibdeps -O "$root/usr/bin/show" "$root/usr/bin/show-capture") \
    >"$shlibs/substvars"
  depends=$(sed -n 's/^shlibs:Depends=//p' "$shlibs/substvars")
  [ -n "$depends" ] || { echo "dpkg-shlibdeps gave no dependencies"; return 1; }
  # SDL opens libGL.so.1 (the window's GLX context) and libEGL.so.1 (the offscreen driver
  # of show-capture) at run time, out of dpkg-shlibdeps' sight; their packages bring Mesa's
  # drivers, the software renderer among them.
  depends+=", libgl1, libegl1"
  rm -rf "$shlibs"

  local maintainer size
  maintainer="$(git config user.name || echo show) <$(git config user.email || echo show@localhost)>"
  size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
  # Plain text replacement (a Depends line may hold "|"; no "&" patterns).
  local control
  shopt -u patsub_replacement 2>/dev/null || true
  control=$(<packaging/control.in)
  control=${control//@VERSION@/$version}
  control=${control//@ARCH@/$arch}
  control=${control//@MAINTAINER@/$maintainer}
  control=${control//@SIZE@/$size}
  control=${control//@DEPENDS@/$depends}
  printf '%s\n' "$control" >"$root/DEBIAN/control"
  (cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) \
    >"$root/DEBIAN/md5sums"
  chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

  dpkg-deb --root-owner-group -Zxz --build "$root" "$DIST/.$deb_name.part"
  # The new package replaces the older ones, so that dist/show_*.deb names one file.
  rm -f "$DIST"/show_*.deb
  mv -f "$DIST/.$deb_name.part" "$DIST/$deb_name"
  rm -rf "$root"
}
TEMPORARY=("$DIST/.$deb_name.part" "$BUILD/deb")
step "dist/$deb_name" make_deb
TEMPORARY=()

step "check dist/$ZIP_NAME" check_zip
step "check dist/$WEB_ZIP_NAME" check_web_zip
step "check dist/$deb_name" check_deb
echo "dist/$ZIP_NAME: $(($(stat -c %s "$DIST/$ZIP_NAME") / 1024)) KiB;" \
  "dist/$WEB_ZIP_NAME: $(($(stat -c %s "$DIST/$WEB_ZIP_NAME") / 1024)) KiB;" \
  "dist/$deb_name: $(($(stat -c %s "$DIST/$deb_name") / 1024)) KiB"
