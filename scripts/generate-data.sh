#!/usr/bin/env bash
# Generates a data set with make-data when it is missing, unfinished or older than its
# generator:
#
#   scripts/generate-data.sh GENERATOR DIR [MAKE-DATA ARGUMENTS...]
#
# DIR/.generated marks a finished data set. It is removed before make-data starts and
# written only after make-data exits with 0, so a run that was cut short or could not write
# every file leaves no mark and the data set is generated again next time. The exit status
# is make-data's. `generate-data.sh --needed GENERATOR DIR` only answers: exit 0 when the data
# set would be generated, 1 when it is up to date.
set -euo pipefail
check_only=0
if [ "${1:-}" = --needed ]; then
  check_only=1
  shift
fi
generator=$1
out=$2
shift 2
stamp=$out/.generated
if [ -f "$stamp" ] && [ ! "$generator" -nt "$stamp" ]; then
  exit "$check_only"
fi
[ "$check_only" = 1 ] && exit 0
echo "Generating the data set into $out/ ..." >&2
rm -f "$stamp"
"$generator" --out "$out" "$@"
touch "$stamp"
