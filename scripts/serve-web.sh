#!/usr/bin/env bash
# Serves the show's web page (dist/web/) on this machine at http://127.0.0.1:PORT/, building
# it first when it is missing (scripts/build-web.sh). The page loads its data over HTTP, so
# it cannot be opened as a file. Stop it with Ctrl-C.
# Usage: scripts/serve-web.sh [PORT]   (default 8000)
set -euo pipefail
cd "$(dirname "$0")/.."
PORT=${1:-8000}
case $PORT in
  --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
  *[!0-9]* | "") echo "serve-web: the port is a number, not '$PORT'" >&2; exit 2 ;;
esac
[ -f dist/web/index.html ] || ./scripts/build-web.sh
# The server's own lines (one a request) go to build-web/serve.log.
mkdir -p build-web
echo "the show's page: http://127.0.0.1:$PORT/"
python3 -m http.server --bind 127.0.0.1 --directory dist/web "$PORT" >build-web/serve.log 2>&1 &
SERVER=$!
# A stop of this script stops the server too.
trap 'kill "$SERVER" 2>/dev/null; wait "$SERVER" 2>/dev/null; exit 130' INT
trap 'kill "$SERVER" 2>/dev/null; wait "$SERVER" 2>/dev/null; exit 143' TERM
status=0
wait "$SERVER" || status=$?
echo "serve-web: the server stopped: $(tail -n 1 build-web/serve.log)" >&2
exit "$status"
