# The licences and sources that go with a release of the statically linked programs (the
# Windows zip, the web page). Sourced, not run, from the repository's root.
#
# The programs are GPL-2.0-or-later (LICENSE), and they link libraries built from Debian's
# source packages (FFTW is GPL-2+, libmpg123 LGPL-2.1, SDL2 zlib, ...): beside them go the
# project's licence, each library's copyright file as Debian ships it (with the licence
# texts those point to in /usr/share/common-licenses), the project's source of this commit
# and, in SOURCES.txt, the Debian source package and version of every library.
LICENCE_TEXTS=(GPL-2 GPL-3 LGPL-2.1 Apache-2.0)

# The release's version: packaging/version, then "+git<commit date>.<short hash>" of HEAD.
release_version() {
  echo "$(tr -d '[:space:]' <packaging/version)+git$(TZ=UTC0 git log -1 --date=format-local:%Y%m%d --format=%cd).$(git rev-parse --short=8 HEAD)"
}

# add_licences <folder> <libraries file> <programs> <crlf|lf>: writes LICENSE.txt,
# SOURCES.txt, licences/<source package>.txt and licences/<licence>.txt, and the project's
# source as source/show-<version>.tar.gz into the folder. The libraries file holds
# "source-package version" lines (build-windows.sh's and build-web.sh's libraries.txt);
# <programs> names what the folder's programs are, for SOURCES.txt ("show.exe and
# capture.exe"); crlf gives the text files Windows line endings.
add_licences() {
  local top=$1 libraries=$2 programs=$3 endings=$4 library release binary text version
  [ -s "$libraries" ] || { echo "no $libraries (the build script writes it)"; return 1; }
  version=$(release_version)
  if [ "$endings" = crlf ]; then
    text_file() { sed 's/\r*$/\r/' "$1" >"$2"; }
  else
    text_file() { cp "$1" "$2"; }
  fi
  text_file LICENSE "$top/LICENSE.txt"
  mkdir -p "$top/licences" "$top/source"
  git archive --format=tar.gz --prefix="show-$version/" HEAD >"$top/source/show-$version.tar.gz"
  {
    echo "Where the sources of this release are"
    echo "====================================="
    echo
    echo "$programs: the project's own sources of this build, under the GNU"
    echo "General Public License version 2 or later (LICENSE.txt), in"
    echo "source/show-$version.tar.gz (commit $(git rev-parse HEAD))."
    echo
    echo "The libraries linked into them, each built from its Debian 12 source package"
    echo "(apt-get source PACKAGE=VERSION on a Debian 12 machine, or any Debian mirror's"
    echo "pool); their copyright and licence terms are in licences/PACKAGE.txt:"
    echo
    while read -r library release; do echo "  $library $release"; done <"$libraries"
  } >"$top/SOURCES.txt.lf"
  text_file "$top/SOURCES.txt.lf" "$top/SOURCES.txt"
  rm -f "$top/SOURCES.txt.lf"
  while read -r library release; do
    # The copyright file of an installed binary package built from that source.
    binary=$(dpkg-query -W -f='${source:Package} ${Package}\n' 2>/dev/null |
      awk -v s="$library" '$1 == s { print $2 }' |
      while read -r b; do [ -f "/usr/share/doc/$b/copyright" ] && { echo "$b"; break; }; done)
    [ -n "$binary" ] || { echo "no installed package of $library ($release) holds its copyright file"; return 1; }
    text_file "/usr/share/doc/$binary/copyright" "$top/licences/$library.txt"
  done <"$libraries"
  for text in "${LICENCE_TEXTS[@]}"; do text_file "/usr/share/common-licenses/$text" "$top/licences/$text.txt"; done
}

# check_licences <listing> <top> <source package...>: the files add_licences writes are in
# the listing of a zip (one path a line, under <top>/).
check_licences() {
  local contents=$1 top=$2 file text library
  shift 2
  local wanted=("$top/LICENSE.txt" "$top/SOURCES.txt")
  for text in "${LICENCE_TEXTS[@]}"; do wanted+=("$top/licences/$text.txt"); done
  for library in "$@"; do wanted+=("$top/licences/$library.txt"); done
  grep -q "^$top/source/show-.*\.tar\.gz\$" <<<"$contents" || { echo "the zip lacks the project's source"; return 1; }
  for file in "${wanted[@]}"; do
    grep -qxF "$file" <<<"$contents" || { echo "the zip lacks $file"; return 1; }
  done
}
