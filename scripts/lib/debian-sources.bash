# Libraries built from Debian's source packages and cached outside the clone, for the cross
# builds (build-windows.sh, build-web.sh). Sourced, not run, after steps.bash. The sourcing
# script sets:
#   PACKAGES  the Debian packages it needs (install_packages)
#   SRC_LIST  the apt sources file the deb-src entries go in (add_source_entries)
#   LIBS      the cache folder of its toolchain, one entry per library build (library)
#   LOG       where the builds' output goes
# and defines recipe_<package> for each library (dots and dashes of the package's name
# as underscores): run in the unpacked source, installing into $1. WORK is the temporary
# folder being built, which the sourcing script's cleanup removes.
WORK=""

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

# The packages of PACKAGES that are not installed yet, installed.
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

# apt-get source needs deb-src entries: one for each Debian suite the apt sources already
# list as deb, written once into a file of their own.
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

pkg_version() { dpkg-query -W -f='${Version}' "$1"; }

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

# Temporary folders left by builds that were killed (call after LIBS is set).
remove_stale_builds() {
  find "$LIBS" -mindepth 1 -maxdepth 1 -name '.build-*' -mmin +240 -exec rm -rf {} + 2>/dev/null || true
}

# GLM is header-only and the same for every target: the host's copy, reached through a folder
# of its own (HOST_HEADERS/glm) so that no other header of /usr/include gets in.
link_host_headers() {
  [ -f /usr/include/glm/glm.hpp ] || { echo "no /usr/include/glm/glm.hpp (libglm-dev)"; return 1; }
  mkdir -p "$HOST_HEADERS"
  ln -sfn /usr/include/glm "$HOST_HEADERS/glm"
}

# The library prefixes of PREFIXES as one CMake list; and "--fresh" when build folder $1 was
# configured with other prefixes in its cache variable $2 (CMake keeps what pkg-config
# found, so other prefixes need a fresh configuration).
prefix_list() { (IFS=';'; echo "${PREFIXES[*]}"); }
fresh_unless_configured_with_prefixes() {
  if [ -f "$1/CMakeCache.txt" ] && ! grep -qxF "$2:STRING=$(prefix_list)" "$1/CMakeCache.txt"; then
    echo --fresh
  fi
}
