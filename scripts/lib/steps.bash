# The step runner of build-windows.sh and package.sh. Sourced, not run. The sourcing script
# sets STEP_NAME (the word its messages start with) and LOG (where the steps' output goes),
# and defines cleanup (what a failure or a stop removes); HINT, when set, is added to a
# failure's line.
#
# step "text" command...: one line on stdout ("text ... ok (N s)"), the command's output in
# the log. The command runs with -e in force (a command tested by "if" would run without it)
# in a process group of its own (job control on while it starts), waited for so that a
# signal is handled at once: SIGINT and SIGTERM end the step, run cleanup and exit with
# 128 + the signal's number.
CHILD=""
HINT=""
fail() {
  echo "$STEP_NAME: $1 (see ${LOG#"$ROOT"/})$HINT" >&2
  cleanup
  exit 1
}
stop() {
  if [ -n "$CHILD" ]; then
    kill -TERM -- "-$CHILD" 2>/dev/null || true
    wait "$CHILD" 2>/dev/null || true
  fi
  cleanup
  exit $((128 + $1))
}
trap 'echo; echo "$STEP_NAME: interrupted" >&2; stop 2' INT
trap 'echo; echo "$STEP_NAME: terminated" >&2; stop 15' TERM

step() {
  local text=$1; shift
  printf '%s ... ' "$text"
  echo "=== $text" >>"$LOG"
  local start=$SECONDS status=0
  set +e -m
  (set -e; "$@") >>"$LOG" 2>&1 &
  CHILD=$!
  set +m
  wait "$CHILD"
  status=$?
  CHILD=""
  set -e
  if [ "$status" -eq 0 ]; then
    echo "ok ($((SECONDS - start)) s)"
  else
    echo "failed ($((SECONDS - start)) s)"
    fail "$text failed: $(tail -n 1 "$LOG")"
  fi
}
