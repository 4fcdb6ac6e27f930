# What the Wine test scripts share: a work folder removed at the end, a count
# of failures, and runs that try again when Wine fails to start a program.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LANG=C.UTF-8
failures=0

fail() {
  echo "FAILED: $1"
  sed 's/^/    | /' "$2"
  failures=$((failures + 1))
}

# retry OUT COMMAND [ARGS...]: evaluates the shell command (ARGS are its
# "$@"), its output to OUT, once more when Wine failed to start a program
# (see scripts/test); gives the command's status.
retry() {
  local _out=$1 _command=$2 _status
  shift 2
  for _try in 1 2; do
    eval "$_command" >"$_out" 2>&1
    _status=$?
    grep -q 'wine client error:' "$_out" || break
  done
  return $_status
}

# finish SUMMARY: the status of the script, and SUMMARY when all passed.
finish() {
  if ((failures)); then
    echo "$failures failed"
    exit 1
  fi
  echo "$1"
}
